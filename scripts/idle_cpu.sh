#!/usr/bin/env bash
# What the game costs while it waits on its start screen: the processor time of
# the whole process (every thread, the sound mixer's included) over SECONDS, as a
# share of one core, beside the same figure for the floor, tools/sdl_floor (a
# bare SDL program that presents one frame and waits). Nothing touches either
# window while it is measured. Fails when the game is above the limit.
#   scripts/idle_cpu.sh [BUILD] [SECONDS]     (defaults: build, 30)
#   IDLE_CPU_LIMIT=0.3                        the game's share allowed, in percent
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
seconds=${2:-30}
limit=${IDLE_CPU_LIMIT:-0.3}

cmake --build "$build" -j2 --target swoopy sdl_floor >/dev/null ||
  { echo "idle_cpu: cannot build swoopy and sdl_floor in $build" >&2; exit 2; }

. "$root/scripts/play_session.sh"
trap 'play_session_close 0' EXIT
play_session_open idlecpu

# cpu_ns PID: nanoseconds on a processor of every thread of the process so far.
cpu_ns() {
  local sum=0 t ns
  for t in /proc/"$1"/task/*/schedstat; do
    read -r ns _ <"$t" 2>/dev/null && sum=$((sum + ns))
  done
  echo "$sum"
}

# measure TITLE PROGRAM: starts it, waits for its window and a second of quiet,
# then prints its share of one core over the measured seconds.
measure() {
  local title=$1 program=$2 wid="" before after t0 t1
  play_session_start "$program"
  wid=$(window_named "$title")
  [ -n "$wid" ] || { echo "idle_cpu: no window from $program" >&2; exit 1; }
  sleep 1
  before=$(cpu_ns "$pid")
  t0=$(date +%s%N)
  sleep "$seconds"
  after=$(cpu_ns "$pid")
  t1=$(date +%s%N)
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=""
  awk -v c=$((after - before)) -v t=$((t1 - t0)) 'BEGIN { printf "%.3f", 100 * c / t }'
}

game=$(measure "Swoopy!" "$build/swoopy")
floor=$(measure "SDL floor" "$build/sdl_floor")
echo "start screen, idle for $seconds s: the game $game % of one core, the floor $floor %"
if awk -v s="$game" -v l="$limit" 'BEGIN { exit !(s > l) }'; then
  echo "idle_cpu: $game % is above the limit of $limit %" >&2
  exit 1
fi
echo "within the limit of $limit %"
