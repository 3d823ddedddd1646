#!/usr/bin/env bash
# What a minute of play costs the game's process in a real X server: the CPU
# time of the whole process (every thread) over SECONDS of play, as a share of
# one core, with the share of each thread.
#
# Run against play_probe (the default), every mover is in play: the probe is
# the game itself with sixteen black squares counted as touched before Start.
# Run against swoopy, the field is the game's own opening (one black square,
# the four red ones from second eight). A name is typed and Start clicked as a
# player does; then the pointer sweeps to and fro over the bottom bar, which
# lies above every mover, so the pointer moves all the time and touches nothing
# (no score or life changes the run).
#
# Then the floor gets the same sweep for the same time: tools/sdl_floor --beat,
# a bare SDL loop that fills and presents nine mover-sized boxes 64 times a
# second, which is what any game drawn through SDL's window surface pays.
#
#   scripts/play_cpu.sh [BUILD] [SECONDS] [PROGRAM]   (defaults: build, 60, play_probe)
#   PLAY_CPU_LIMIT=2       the share of one core allowed, in percent
#   PLAY_CPU_PERF=1        also records where the time goes with perf (adds its own cost)
#   PLAY_CPU_FLOOR=0       skips the floor
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
seconds=${2:-60}
name=${3:-play_probe}
limit=${PLAY_CPU_LIMIT:-2}

cmake --build "$build" -j2 --target "$name" sdl_floor >/dev/null ||
  { echo "play_cpu: cannot build $name and sdl_floor in $build" >&2; exit 2; }
program="$build/$name"

. "$root/scripts/play_session.sh"
sweeper=""
cleanup() {
  [ -n "$sweeper" ] && kill "$sweeper" 2>/dev/null
  play_session_close "${PLAY_CPU_KEEP:-0}"
}
trap cleanup EXIT
play_session_open playcpu
play_session_start "$program"
play_session_enter "Bench" || { echo "play_cpu: no game window" >&2; exit 1; }
sleep 1

# sweep WINDOW: one xdotool process moving the pointer every 20 ms along the bottom bar.
sweep() {
  local moves=() i x
  for ((i = 0; i < seconds * 50 + 500; i++)); do
    x=$((100 + (i % 80 < 40 ? i % 40 : 40 - i % 40) * 20))
    moves+=(mousemove --window "$1" "$x" 570 sleep 0.02)
  done
  xdotool "${moves[@]}" 2>/dev/null &
  sweeper=$!
  sleep 1
}
sweep "$wid"

# ticks NAME: user + system CPU of the process or thread whose stat file is NAME.
ticks() { awk '{ print $14 + $15 }' "$1"; }
declare -A before
for t in /proc/$pid/task/*; do before[$t]=$(ticks "$t/stat"); done
start_ticks=$(ticks /proc/$pid/stat)
start_time=$(date +%s.%N)
if [ "${PLAY_CPU_PERF:-0}" = 1 ]; then
  perf record -F 999 -p "$pid" -o "$work/perf.data" -- sleep "$seconds" >/dev/null 2>&1
else
  sleep "$seconds"
fi
end_ticks=$(ticks /proc/$pid/stat)
end_time=$(date +%s.%N)
hz=$(getconf CLK_TCK)

share() { awk -v t="$1" -v hz="$hz" -v a="$start_time" -v b="$end_time" 'BEGIN { printf "%.2f", 100 * t / hz / (b - a) }'; }
total=$(share $((end_ticks - start_ticks)))
echo "$name: $total % of one core over $(awk -v a="$start_time" -v b="$end_time" 'BEGIN { printf "%.1f", b - a }') s of play"
for t in /proc/$pid/task/*; do
  [ -f "$t/stat" ] || continue
  used=$(( $(ticks "$t/stat") - ${before[$t]:-0} ))
  [ "$used" -gt 0 ] && echo "  thread $(cat "$t/comm"): $(share "$used") %"
done
# The probe counts its movement ticks: 640 in ten seconds is the full rate.
if [ -s "$work/out.txt" ]; then
  echo "  movement ticks per 10 s:$(sed -n 's/movement ticks: \([0-9]*\) in.*/ \1/p' "$work/out.txt" | tr -d '\n') (full rate 640)"
fi
if [ "${PLAY_CPU_PERF:-0}" = 1 ]; then
  echo "where the samples fell, by library, then the busiest functions:"
  perf report -i "$work/perf.data" --sort dso --stdio 2>/dev/null | grep '%' | grep -v '^#' | head -12
  perf report -i "$work/perf.data" --sort dso,symbol --stdio 2>/dev/null | grep '%' | grep -v '^#' |
    cut -c1-110 | head -25
fi
if [ "${PLAY_CPU_FLOOR:-1}" = 1 ]; then
  kill "$sweeper" 2>/dev/null
  kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  (cd "$work" && exec "$build/sdl_floor" --beat) >/dev/null 2>&1 &
  pid=$!
  floor_wid=$(window_named "SDL floor")
  [ -n "$floor_wid" ] || { echo "play_cpu: no window from sdl_floor" >&2; exit 1; }
  sleep 1
  sweep "$floor_wid"
  start_ticks=$(ticks /proc/$pid/stat)
  start_time=$(date +%s.%N)
  sleep "$seconds"
  end_ticks=$(ticks /proc/$pid/stat)
  end_time=$(date +%s.%N)
  echo "the floor (sdl_floor --beat, the same sweep): $(share $((end_ticks - start_ticks))) % of one core"
fi
if awk -v s="$total" -v l="$limit" 'BEGIN { exit !(s > l) }'; then
  echo "play_cpu: $total % is above the limit of $limit %" >&2
  exit 1
fi
echo "within the limit of $limit %"
