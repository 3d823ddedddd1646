#!/usr/bin/env bash
# Full screen against the window at the same device size, side by side in one
# run: play_probe (every mover in play) at SWOOPY_SCALE=1.75 in a 1941 x 1063
# window on a 2800 x 1600 screen, and full screen on a 1941 x 1063 screen, where
# the game fills the screen at 1941/1109 (the same 1941 x 1063 device pixels).
# Each screen has a window manager (openbox), which is what grants full screen.
# Each side in turn, ROUNDS times, plays SECONDS with the pointer sweeping to and
# fro over the bottom bar; each prints the process's CPU as a share of one core
# and the movement-frame figures of scripts/trace_stats.sh.
#   scripts/fullscreen_cost.sh [BUILD] [SECONDS] [ROUNDS]   (defaults: build, 30, 2)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
seconds=${2:-30}
rounds=${3:-2}
cmake --build "$build" -j2 --target play_probe >/dev/null ||
  { echo "fullscreen_cost: cannot build play_probe in $build" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/fullscreen.XXXXXX")
xvfb="" wm="" pid="" sweeper=""
stop() {
  [ -n "$sweeper" ] && kill "$sweeper" 2>/dev/null
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  sweeper="" pid="" wm="" xvfb=""
}
trap 'stop; rm -rf "$work"' EXIT
cp "$root"/assets/*.wav "$root/assets/intro.txt" "$root/assets/scores.txt" "$work/"
hz=$(getconf CLK_TCK)

# screen WxH: an Xvfb of that size of our own, as $DISPLAY, with openbox.
screen() {
  local numfile="$work/display"
  : >"$numfile"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$numfile" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 200); do [ -s "$numfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(tr -dc 0-9 <"$numfile")"
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
}

# at X Y: layout pixel (X, Y) at the factor 1.75 as "X Y" in device pixels.
at() { echo $(((($1 * 7) + 3) / 4)) $(((($2 * 7) + 3) / 4)); }

# side NAME SCREEN FULL: one measured game.
side() {
  local name=$1 wid start_ticks end_ticks start_time end_time started
  screen "$2"
  rm -f "$work/trace.txt"
  (cd "$work" && SWOOPY_SCALE=1.75 SWOOPY_TRACE="$work/trace.txt" PLAY_PROBE_FULLSCREEN=$3 exec "$build/play_probe") \
    >"$work/out.txt" 2>&1 &
  pid=$!
  for _ in $(seq 1 100); do
    wid=$(xdotool search --onlyvisible --name '^Swoopy!$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || { echo "fullscreen_cost: no window on $2" >&2; exit 1; }
  sleep 1
  xdotool mousemove --window "$wid" $(at 780 140) click 1
  xdotool windowfocus "$wid" 2>/dev/null
  xdotool type --delay 30 "Bench"
  xdotool mousemove --window "$wid" $(at 785 176) click 1
  sleep 2
  local moves=() i x
  for ((i = 0; i < seconds * 50 + 200; i++)); do
    x=$((100 + (i % 80 < 40 ? i % 40 : 40 - i % 40) * 20))
    moves+=(mousemove --window "$wid" $(at "$x" 570) sleep 0.02)
  done
  xdotool "${moves[@]}" 2>/dev/null &
  sweeper=$!
  sleep 1
  started=$(awk 'END { split($3, t, "="); print t[2] }' "$work/trace.txt")
  start_ticks=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  start_time=$(date +%s.%N)
  sleep "$seconds"
  end_ticks=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  end_time=$(date +%s.%N)
  echo "$name ($(xwininfo -id "$wid" | awk '/Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
      /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print w " x " h " at " x "," y }')):" \
    "$(awk -v t=$((end_ticks - start_ticks)) -v hz="$hz" -v a="$start_time" -v b="$end_time" \
       'BEGIN { printf "%.2f", 100 * t / hz / (b - a) }') % of one core"
  FROM_MS="$started" TO_MS=$(awk -v s="$started" -v n="$seconds" 'BEGIN { print s + 1000 * n }') \
    bash "$root/scripts/trace_stats.sh" "$work/trace.txt" | sed 's/^/  /'
  stop
}

for ((round = 1; round <= rounds; round++)); do
  echo "round $round of $rounds"
  if ((round % 2)); then
    side windowed 2800x1600 0
    side "full screen" 1941x1063 1
  else
    side "full screen" 1941x1063 1
    side windowed 2800x1600 0
  fi
done
