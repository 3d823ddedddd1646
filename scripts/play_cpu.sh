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
# The floor gets the same sweep for the same time: tools/sdl_floor --beat,
# a bare SDL loop that fills and presents nine mover-sized boxes 64 times a
# second, which is what any game drawn through SDL's window surface pays.
#
# A shared machine's speed drifts over minutes, so with ROUNDS above 1 the game
# and the floor take turns, game first in odd rounds and floor first in even
# ones (a steady drift then weighs on both alike); each round prints both and
# the game's share above the floor, and the last lines their medians.
#
#   scripts/play_cpu.sh [BUILD] [SECONDS] [PROGRAM]   (defaults: build, 60, play_probe)
#   PLAY_CPU_LIMIT=2       the share of one core allowed, in percent (the game's median)
#   PLAY_CPU_ROUNDS=1      game-and-floor rounds, each SECONDS long a side
#   PLAY_CPU_PERF=1        also records where the time goes with perf, with call
#                          graphs (adds its own cost): by library, the busiest
#                          functions, and the share of samples in each part of the
#                          game (a sample counts for every part on its stack)
#   PLAY_CPU_FLOOR=0       skips the floor
#   PLAY_CPU_PAUSE=S       each round also plays a game paused with P a third of the
#                          way in for S seconds and resumed with P: what a pause
#                          and its count cost beside the same game unpaused
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
seconds=${2:-60}
name=${3:-play_probe}
limit=${PLAY_CPU_LIMIT:-2}
rounds=${PLAY_CPU_ROUNDS:-1}

cmake --build "$build" -j2 --target "$name" sdl_floor >/dev/null ||
  { echo "play_cpu: cannot build $name and sdl_floor in $build" >&2; exit 2; }
program="$build/$name"

. "$root/scripts/play_session.sh"
sweeper=""
stop_program() {
  [ -n "$sweeper" ] && kill "$sweeper" 2>/dev/null
  sweeper=""
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  pid=""
}
cleanup() {
  stop_program
  play_session_close "${PLAY_CPU_KEEP:-0}"
}
trap cleanup EXIT
play_session_open playcpu
hz=$(getconf CLK_TCK)

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

# ticks NAME: user + system CPU of the process or thread whose stat file is NAME.
ticks() { awk '{ print $14 + $15 }' "$1"; }
# share TICKS START END: the ticks as a percentage of one core over that time.
share() { awk -v t="$1" -v hz="$hz" -v a="$2" -v b="$3" 'BEGIN { printf "%.2f", 100 * t / hz / (b - a) }'; }

# measure_game [PAUSE]: the game (or the probe) from its start screen through
# SECONDS of play, paused for PAUSE of them when given; prints its share and
# each thread's, and sets $game_share.
measure_game() {
  local pause=${1:-0} label=$name
  [ "$pause" -gt 0 ] && label="$name with a ${pause} s pause"
  play_session_start "$program"
  play_session_enter "Bench" || { echo "play_cpu: no game window" >&2; exit 1; }
  sleep 1
  sweep "$wid"
  local -A before
  local t start_ticks end_ticks start_time end_time used
  for t in /proc/$pid/task/*; do before[$t]=$(ticks "$t/stat"); done
  start_ticks=$(ticks /proc/$pid/stat)
  start_time=$(date +%s.%N)
  if [ "${PLAY_CPU_PERF:-0}" = 1 ]; then
    perf record -F 3999 --call-graph dwarf,8192 -p "$pid" -o "$work/perf.data" -- sleep "$seconds" >/dev/null 2>&1
  elif [ "$pause" -gt 0 ]; then
    # The pointer keeps sweeping while paused, as a player's hand would.
    sleep $((seconds / 3))
    xdotool windowfocus "$wid" key p 2>/dev/null
    sleep "$pause"
    xdotool windowfocus "$wid" key p 2>/dev/null
    sleep $((seconds - seconds / 3 - pause))
  else
    sleep "$seconds"
  fi
  end_ticks=$(ticks /proc/$pid/stat)
  end_time=$(date +%s.%N)
  game_share=$(share $((end_ticks - start_ticks)) "$start_time" "$end_time")
  echo "$label: $game_share % of one core over $(awk -v a="$start_time" -v b="$end_time" 'BEGIN { printf "%.1f", b - a }') s of play"
  for t in /proc/$pid/task/*; do
    [ -f "$t/stat" ] || continue
    used=$(( $(ticks "$t/stat") - ${before[$t]:-0} ))
    [ "$used" -gt 0 ] && echo "  thread $(cat "$t/comm"): $(share "$used" "$start_time" "$end_time") %"
  done
  # The probe counts its movement ticks: 640 in ten seconds is the full rate.
  if [ -s "$work/out.txt" ]; then
    echo "  movement ticks per 10 s:$(sed -n 's/movement ticks: \([0-9]*\) in.*/ \1/p' "$work/out.txt" | tr -d '\n') (full rate 640)"
  fi
  if [ "${PLAY_CPU_PERF:-0}" = 1 ]; then
    echo "where the samples fell, by library, then the busiest functions:"
    perf report -i "$work/perf.data" --sort dso --stdio 2>/dev/null | grep '%' | grep -v '^#' | head -12
    perf report -i "$work/perf.data" --no-children --sort dso,symbol --stdio -g none 2>/dev/null |
      grep '%' | grep -v '^#' | cut -c1-110 | head -25
    echo "the share of samples in each part of the game:"
    perf script -i "$work/perf.data" -F ip,sym 2>/dev/null | awk '
      BEGIN {
        RS = ""
        n = split("composing|Form::Compose;shapes|TShape::Paint;pictures|TImage::Paint;" \
                  "labels|TLabel::Paint;readying captions|PrepareCaption;presenting|::Present;" \
                  "timers|TTimer::Tick;input events|Application::Dispatch;waiting for events|WaitEvent;" \
                  "mixing sound|Mixer::", parts, ";")
      }
      {
        ++total
        for (i = 1; i <= n; ++i) { split(parts[i], p, "|"); if (index($0, p[2])) ++hits[i] }
      }
      END {
        for (i = 1; i <= n; ++i) { split(parts[i], p, "|"); printf "  %-20s %5.1f %%\n", p[1], 100 * hits[i] / total }
        printf "  (%d samples)\n", total
      }'
  fi
  stop_program
}

# measure_floor: sdl_floor --beat under the same sweep for SECONDS; sets $floor_share.
measure_floor() {
  (cd "$work" && exec "$build/sdl_floor" --beat) >/dev/null 2>&1 &
  pid=$!
  local floor_wid start_ticks end_ticks start_time end_time
  floor_wid=$(window_named "SDL floor")
  [ -n "$floor_wid" ] || { echo "play_cpu: no window from sdl_floor" >&2; exit 1; }
  sleep 1
  sweep "$floor_wid"
  start_ticks=$(ticks /proc/$pid/stat)
  start_time=$(date +%s.%N)
  sleep "$seconds"
  end_ticks=$(ticks /proc/$pid/stat)
  end_time=$(date +%s.%N)
  floor_share=$(share $((end_ticks - start_ticks)) "$start_time" "$end_time")
  echo "the floor (sdl_floor --beat, the same sweep): $floor_share % of one core"
  stop_program
}

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

games="" floors="" aboves="" paused=""
pause_for=${PLAY_CPU_PAUSE:-0}
if [ "$pause_for" -gt 0 ] && [ "$pause_for" -gt $((seconds - seconds / 3 - 5)) ]; then
  echo "play_cpu: a pause of $pause_for s leaves too little of $seconds s to play after it" >&2
  exit 2
fi
for ((round = 1; round <= rounds; round++)); do
  [ "$rounds" -gt 1 ] && echo "round $round of $rounds"
  if [ "${PLAY_CPU_FLOOR:-1}" = 1 ] && [ $((round % 2)) = 0 ]; then
    measure_floor
    measure_game
  else
    measure_game
    [ "${PLAY_CPU_FLOOR:-1}" = 1 ] && measure_floor
  fi
  games+=" $game_share"
  if [ "$pause_for" -gt 0 ]; then
    game_alone=$game_share
    measure_game "$pause_for"
    paused+=" $game_share"
    game_share=$game_alone
  fi
  if [ "${PLAY_CPU_FLOOR:-1}" = 1 ]; then
    floors+=" $floor_share"
    above=$(awk -v g="$game_share" -v f="$floor_share" 'BEGIN { printf "%.2f", g - f }')
    aboves+=" $above"
    echo "  the game's share above the floor: $above points"
  fi
done
total=$(median <<<"$games")
if [ "$rounds" -gt 1 ]; then
  echo "medians over $rounds rounds: $name $total %$( [ -n "$floors" ] && echo ", the floor $(median <<<"$floors") %, the game above the floor $(median <<<"$aboves") points")"
  [ -n "$paused" ] && echo "  with a ${pause_for} s pause: $(median <<<"$paused") %"
fi
if awk -v s="$total" -v l="$limit" 'BEGIN { exit !(s > l) }'; then
  echo "play_cpu: $total % is above the limit of $limit %" >&2
  exit 1
fi
echo "within the limit of $limit %"
