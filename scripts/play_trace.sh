#!/usr/bin/env bash
# A played minute in a real X server, traced frame by frame: play_probe (the game
# with every mover in play) is started with SWOOPY_TRACE, PLAY_PROBE_LIVES=1000
# and PLAY_PROBE_MONEY=60 (enough for a bonus round);
# a name is typed and Start clicked as a player does; then the pointer roams the
# playfield in sweeps, a move every 10 ms, touching the movers that cross its
# path, and every two seconds clicks where the bonus offer shows, so the game
# holds a bonus round (the probe's bonus ticks say so). When the clock
# has run out (or after SECONDS), the figures of scripts/trace_stats.sh are
# printed for the frames from two seconds after Start on, with the process's
# peak resident memory. Fails when a goal is missed: the 99th percentile of the
# movement frame interval above 17 ms, or of pointer-to-present above 2 ms.
#   scripts/play_trace.sh [BUILD] [SECONDS]    (defaults: build, 75)
#   PLAY_TRACE_KEEP=1                          keeps the scratch folder with the trace
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
seconds=${2:-75}

cmake --build "$build" -j2 --target play_probe >/dev/null ||
  { echo "play_trace: cannot build play_probe in $build" >&2; exit 2; }

. "$root/scripts/play_session.sh"
sweeper=""
cleanup() {
  [ -n "$sweeper" ] && kill "$sweeper" 2>/dev/null
  play_session_close "${PLAY_TRACE_KEEP:-0}"
}
trap cleanup EXIT
play_session_open playtrace
SWOOPY_TRACE="$work/trace.txt" PLAY_PROBE_LIVES=1000 PLAY_PROBE_MONEY=60 play_session_start "$build/play_probe"
play_session_enter "Trace" || { echo "play_trace: no game window" >&2; exit 1; }
started=$(awk 'END { split($3, t, "="); print t[2] }' "$work/trace.txt")

# The sweep: rows across the playfield, one xdotool process for the whole run.
moves=()
for ((i = 0; i < seconds * 100; i++)); do
  if ((i % 200 == 199)); then
    moves+=(mousemove --window "$wid" 1000 334 click 1)
  else
    x=$((20 + (i % 84) * 10))
    ((i / 84 % 2)) && x=$((860 - (i % 84) * 10))
    y=$((20 + (i / 84 * 37) % 470))
    moves+=(mousemove --window "$wid" "$x" "$y")
  fi
  moves+=(sleep 0.01)
done
xdotool "${moves[@]}" 2>/dev/null &
sweeper=$!

# Until the end screen, the program's end or the time given.
for ((s = 0; s < seconds; s++)); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 1
done
peak=$(awk '/VmHWM/ { print $2 / 1024 }' "/proc/$pid/status" 2>/dev/null)
kill "$sweeper" 2>/dev/null
sweeper=""
kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
pid=""

echo "peak resident memory: ${peak:-?} MB ($(grep -o 'bonus ticks: [0-9]*' "$work/out.txt" || echo 'bonus ticks: ?'))"
report=$(FROM_MS=$(awk -v s="$started" 'BEGIN { print s + 2000 }') bash "$root/scripts/trace_stats.sh" "$work/trace.txt")
echo "$report"
p99() { sed -n "s/^$1 *median *[0-9.]* ms, 99th *\\([0-9.]*\\) ms.*/\\1/p" <<<"$report"; }
interval=$(p99 "movement frame interval")
pointer=$(p99 "pointer to present")
status=0
if [ -z "$interval" ] || awk -v v="$interval" 'BEGIN { exit !(v > 17) }'; then
  echo "play_trace: movement frame interval, 99th percentile ${interval:-missing} ms: goal 17 ms" >&2
  status=1
fi
if [ -z "$pointer" ] || awk -v v="$pointer" 'BEGIN { exit !(v > 2) }'; then
  echo "play_trace: pointer to present, 99th percentile ${pointer:-missing} ms: goal 2 ms" >&2
  status=1
fi
exit $status
