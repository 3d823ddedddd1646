#!/usr/bin/env bash
# How long the game takes to start: from exec to its first frame on the screen
# (the start screen's introduction panel drawn), over several runs, each in a
# fresh scratch working folder with the game's files. Each run also times the
# floor, tools/sdl_floor: a bare SDL program that opens a window of the game's
# size and presents one frame filled by a memset. Prints every run, then the
# medians, the fastest and the slowest, and fails when the game's median is
# above the limit or more than the allowed multiple of the floor's.
#   scripts/startup_time.sh [BUILD] [RUNS]     (defaults: build, 10)
#   STARTUP_LIMIT_MS=200                       the median allowed
#   STARTUP_FLOOR_RATIO=1.5                    the game's median over the floor's allowed
#   STARTUP_SOUND_RATE=44100                   the six sounds made stereo at this
#                                              rate first (sox), as a player's own
#                                              files might be: start-up then
#                                              includes their rate conversion
#   STARTUP_USER=NAME                          runs the programs as that user (the
#                                              script runs as root), with a home
#                                              folder of this run's own, after one
#                                              start of each not counted: as a
#                                              player's later starts, which find
#                                              the X input method's compiled
#                                              compose table (root gets none)
#   STARTUP_NO_BUS=1                           keeps a machine without a session
#                                              message bus as it is (see below)
#   STARTUP_BESIDE=OTHER_BUILD                 also times that build's game in each
#                                              run, the two taking turns to go
#                                              first: a change measured against
#                                              the build before it, under the same
#                                              drift of the machine's speed
#
# A desktop session has its message bus. Without one (a bare X server), SDL's
# D-Bus library forks at every start to look for a helper that would start one,
# which no player's start does: the script starts a session bus for the run, as
# the measuring user, unless there is one already or STARTUP_NO_BUS=1.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
runs=${2:-10}
limit=${STARTUP_LIMIT_MS:-200}
ratio_limit=${STARTUP_FLOOR_RATIO:-1.5}
beside=${STARTUP_BESIDE:+$(realpath "$STARTUP_BESIDE")}
user=${STARTUP_USER:-}
if [ -n "$user" ] && [ "$(id -u)" -ne 0 ]; then
  echo "startup_time: STARTUP_USER needs the script to run as root" >&2
  exit 2
fi

cmake --build "$build" -j2 --target swoopy first_frame_probe sdl_floor >/dev/null ||
  { echo "startup_time: cannot build swoopy, first_frame_probe and sdl_floor in $build" >&2; exit 2; }
if [ -n "$beside" ] && [ ! -x "$beside/swoopy" ]; then
  echo "startup_time: no game built in $beside" >&2
  exit 2
fi

. "$root/scripts/play_session.sh"
bus_pid=""
cleanup() {
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
  play_session_close 0
}
trap cleanup EXIT
play_session_open startup

sounds="$root/assets"
if [ -n "${STARTUP_SOUND_RATE:-}" ]; then
  sounds="$work/sounds"
  mkdir -p "$sounds"
  for f in "$root"/assets/*.wav; do
    sox "$f" -r "$STARTUP_SOUND_RATE" -c 2 -b 16 "$sounds/$(basename "$f")" ||
      { echo "startup_time: cannot convert $f to $STARTUP_SOUND_RATE Hz" >&2; exit 2; }
  done
  echo "sounds: stereo at $STARTUP_SOUND_RATE Hz"
fi

if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ "${STARTUP_NO_BUS:-0}" != 1 ]; then
  as_bus=()
  [ -n "$user" ] && as_bus=(runuser -u "$user" --)
  if bus=$("${as_bus[@]}" dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 2>/dev/null); then
    export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
    bus_pid=$(sed -n 2p <<<"$bus")
    echo "session bus: $DBUS_SESSION_BUS_ADDRESS"
  else
    echo "startup_time: no session bus could be started; SDL looks for one at every start" >&2
  fi
fi

frames=()
maps=()
floors=()
besides=()
# probe TITLE PROGRAM: the probe's line for PROGRAM started in this run's folder.
probe() {
  local as=()
  [ -n "$user" ] && as=(runuser -u "$user" -- env HOME="$work/home")
  (cd "$folder" && "${as[@]}" "$build/first_frame_probe" -t "$1" -x 850 -y 480 -c FFFFFF -s 10 -- "$2")
}
# play_folder DIR: a fresh folder with the game's files, the user's when one is named.
play_folder() {
  game_files_into "$1" "$sounds"
  [ -z "$user" ] || chown -R "$user" "$1"
}
if [ -n "$user" ]; then
  chmod 755 "$work"
  mkdir -p "$work/home"
  chown "$user" "$work/home"
  folder="$work/first"
  play_folder "$folder"
  echo "first starts, not counted: the game $(probe "Swoopy!" "$build/swoopy"), the floor $(probe "SDL floor" "$build/sdl_floor")"
fi
# field NAME LINE: one of the line's milliseconds.
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }
for i in $(seq 1 "$runs"); do
  folder="$work/run$i"
  play_folder "$folder"
  # The other build goes first in even runs, second in odd ones; the introduction
  # panel's lower right corner is white in the first frame.
  if [ -n "$beside" ] && [ $((i % 2)) -eq 0 ]; then
    other_line=$(probe "Swoopy!" "$beside/swoopy") || { echo "startup_time: run $i: no first frame from $beside" >&2; exit 1; }
  fi
  line=$(probe "Swoopy!" "$build/swoopy") || { echo "startup_time: run $i: no first frame" >&2; exit 1; }
  if [ -n "$beside" ] && [ $((i % 2)) -eq 1 ]; then
    other_line=$(probe "Swoopy!" "$beside/swoopy") || { echo "startup_time: run $i: no first frame from $beside" >&2; exit 1; }
  fi
  map=$(field map_ms "$line")
  frame=$(field frame_ms "$line")
  # The floor's whole window is white in its one frame.
  floor_line=$(probe "SDL floor" "$build/sdl_floor") || { echo "startup_time: run $i: no first frame from the floor" >&2; exit 1; }
  floor=$(field frame_ms "$floor_line")
  printf 'run %2d: window shown after %6.1f ms, first frame after %6.1f ms; floor %6.1f ms' "$i" "$map" "$frame" "$floor"
  if [ -n "$beside" ]; then
    other=$(field frame_ms "$other_line")
    printf '; the other build %6.1f ms' "$other"
    besides+=("$other")
  fi
  echo
  maps+=("$map")
  frames+=("$frame")
  floors+=("$floor")
done

# stats NUMBERS...: "median fastest slowest".
stats() {
  printf '%s\n' "$@" | sort -g | awk '
    { v[NR] = $1 }
    END {
      m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.1f %.1f %.1f\n", m, v[1], v[NR]
    }'
}
read -r map_median map_low map_high < <(stats "${maps[@]}")
read -r median low high < <(stats "${frames[@]}")
read -r floor_median floor_low floor_high < <(stats "${floors[@]}")
ratio=$(awk -v g="$median" -v f="$floor_median" 'BEGIN { printf "%.2f", g / f }')
echo "window shown: median $map_median ms (fastest $map_low, slowest $map_high) over $runs runs"
echo "first frame:  median $median ms (fastest $low, slowest $high) over $runs runs"
echo "floor:        median $floor_median ms (fastest $floor_low, slowest $floor_high); the game takes $ratio times the floor"
if [ -n "$beside" ]; then
  read -r other_median other_low other_high < <(stats "${besides[@]}")
  echo "other build:  median $other_median ms (fastest $other_low, slowest $other_high), $(awk -v g="$other_median" -v f="$floor_median" 'BEGIN { printf "%.2f", g / f }') times the floor ($beside)"
fi
status=0
if awk -v m="$median" -v l="$limit" 'BEGIN { exit !(m > l) }'; then
  echo "startup_time: the median first frame, $median ms, is above the limit of $limit ms" >&2
  status=1
fi
if awk -v r="$ratio" -v l="$ratio_limit" 'BEGIN { exit !(r > l) }'; then
  echo "startup_time: the game takes $ratio times the floor's start, above the allowed $ratio_limit" >&2
  status=1
fi
[ "$status" -eq 0 ] && echo "within the limits of $limit ms and $ratio_limit times the floor"
exit $status
