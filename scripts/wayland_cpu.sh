#!/usr/bin/env bash
# What play and idle cost under a Wayland compositor (a headless sway of its
# own, as the Wayland end-to-end tests start it), natively: first the floor,
# tools/sdl_floor --beat, with the pointer stirred over the bottom bar; then for
# each PROGRAM given (play probes, e.g. an older build's beside this one's) its
# start screen idle for SECONDS, then a name typed, Start clicked and SECONDS
# of play under the same stir. Prints each as a share of one core, play as a
# ratio to the floor, and the game's peak resident memory after it.
#   scripts/wayland_cpu.sh [BUILD] [SECONDS] [PROGRAM...]   (defaults: build, 20, BUILD/play_probe)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
seconds=${2:-20}
shift 2 2>/dev/null || shift $#
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=("$build/play_probe")
cmake --build "$build" -j2 --target play_probe sdl_floor >/dev/null ||
  { echo "wayland_cpu: cannot build play_probe and sdl_floor in $build" >&2; exit 2; }

# One program a compositor: with more, each in a run of its own.
if [ ${#programs[@]} -gt 1 ]; then
  for program in "${programs[@]}"; do bash "$0" "$build" "$seconds" "$program" || exit; done
  exit 0
fi

. "$root/tests/e2e/wayland/lib.sh"
hz=$(getconf CLK_TCK)
wl_start_compositor || e2e_fail "no compositor"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# measure PID SECONDS: the process's share of one core over SECONDS.
measure() {
  local a b t0 t1
  a=$(ticks "$1") t0=$(date +%s.%N)
  sleep "$2"
  b=$(ticks "$1") t1=$(date +%s.%N)
  awk -v t=$((b - a)) -v hz="$hz" -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", 100 * t / hz / (b - a) }'
}

floor_pid=""
stop_floor() { [ -n "$floor_pid" ] && kill "$floor_pid" 2>/dev/null; floor_pid=""; }
trap 'stop_floor; wl_cleanup' EXIT

# The floor first: a second game in the same compositor, after wtype's keyboards
# came and went, dies in SDL's keyboard set-up, so each game has a compositor of
# its own.
floor=$(unprivileged_copy "$build/sdl_floor") || e2e_fail "cannot copy sdl_floor"
wl_spawn floor "$floor" --beat
wl_wait_window "SDL floor" 15 || e2e_fail "no window from sdl_floor"
floor_pid=$(cat "$WL_RUNTIME/floor.pid")
sleep 1
wl_stir 500 570 $((seconds + 5))
floor_share=$(measure "$floor_pid" "$seconds")
wl_stop_stir
stop_floor
echo "the floor (sdl_floor --beat, the same stir): $floor_share %"

program=$(realpath "${programs[0]}")
folder=$(wl_game_folder "$program" "$root/assets") || e2e_fail "cannot make the play folder"
wl_start "$folder"
wl_wait_window "Swoopy!" 15 || e2e_fail "no game window from $program: $(cat "$E2E_ERR")"
wl_move 1060 590
sleep 2
pid=$(cat "$WL_GAME_PIDFILE")
echo "$program: idle $(measure "$pid" "$seconds") %"
wl_click 840 141
wl_type "Bench"
wl_click 785 176
sleep 1
wl_stir 500 570 $((seconds + 5))
share=$(measure "$pid" "$seconds")
wl_stop_stir
# The ratio is worked out before printf: a ">" in a print statement's list is
# taken by some awks as a redirection, to a file named after the right side.
echo "$program: play $share %, $(awk -v g="$share" -v f="$floor_share" 'BEGIN { r = 0; if (f > 0) r = g / f; printf "%.2f", r }') times the floor"
echo "$program: peak resident after play $(awk '/^VmHWM/ { printf "%.1f MB", $2 / 1024 }' "/proc/$pid/status")"
kill -TERM "$pid"
e2e_wait_exit 10 >/dev/null
