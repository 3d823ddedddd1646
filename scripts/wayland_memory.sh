#!/usr/bin/env bash
# What the game holds in memory under a Wayland compositor (a headless sway of
# its own, as the Wayland end-to-end tests start it), natively.
#
#   scripts/wayland_memory.sh [BUILD] [PROGRAM]   (defaults: build, BUILD/swoopy)
# VmRSS and VmHWM on the start screen, and the shared libraries that take most of it.
#
#   scripts/wayland_memory.sh --play MINUTES [BUILD] [PROGRAM]   (default BUILD/play_probe)
# One game of MINUTES (play_probe's clock set so), the pointer stirred over the
# bottom bar all along; VmRSS every ten seconds, a line a minute, and at the end
# how far it strayed after the first minute. Fails when that is over 1 MB: a
# game that leaks a little a frame grows by far more over half an hour.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=0
if [ "${1:-}" = "--play" ]; then
  minutes=${2:?usage: wayland_memory.sh --play MINUTES [BUILD] [PROGRAM]}
  shift 2
fi
build=$(realpath "${1:-build}")
program=$(realpath "${2:-$build/swoopy}")
if [ "$minutes" -gt 0 ] && [ -z "${2:-}" ]; then
  cmake --build "$build" -j2 --target play_probe >/dev/null ||
    { echo "wayland_memory: cannot build play_probe in $build" >&2; exit 2; }
  program="$build/play_probe"
fi

. "$root/tests/e2e/wayland/lib.sh"
wl_start_compositor || e2e_fail "no compositor"
folder=$(wl_game_folder "$program" "$root/assets") || e2e_fail "cannot make the play folder"

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

if [ "$minutes" -gt 0 ]; then
  # The clock runs a little past the measurement, so the game is still on at its end.
  export PLAY_PROBE_SECONDS=$((minutes * 60 + 30)) PLAY_PROBE_LIVES=1000
  wl_start "$folder"
  wl_wait_window "Swoopy!" 15 || e2e_fail "no game window from $program: $(cat "$E2E_ERR")"
  got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 10) || e2e_fail "no start screen: pixel 850,480 is $got"
  pid=$(cat "$WL_GAME_PIDFILE")
  wl_click 840 141
  wl_type "Memo"
  wl_click 785 176
  got=$(e2e_wait_pixel_change wl 450 300 "#FFFFFF" 10) || e2e_fail "the game did not start: pixel 450,300 is $got"
  wl_stir 500 570 $((minutes * 60 + 20))
  start=$SECONDS
  base="" low="" high=""
  echo "minute  VmRSS kB"
  for ((i = 1; i <= minutes * 6; i++)); do
    sleep $((start + i * 10 - SECONDS > 0 ? start + i * 10 - SECONDS : 0))
    kill -0 "$pid" 2>/dev/null || e2e_fail "the game ended after $((SECONDS - start)) s: $(tail -n 3 "$E2E_ERR")"
    now=$(rss "$pid")
    [ $((i % 6)) -eq 0 ] && printf '%6d  %8d\n' $((i / 6)) "$now"
    [ "$i" -lt 6 ] && continue
    [ -n "$base" ] || base=$now
    [ -z "$low" ] || [ "$now" -lt "$low" ] && low=$now
    [ -z "$high" ] || [ "$now" -gt "$high" ] && high=$now
  done
  wl_stop_stir
  grep -E '^Vm(RSS|HWM)' "/proc/$pid/status"
  echo "after the first minute: $base kB; since then from $low to $high kB, a spread of $((high - low)) kB"
  e2e_expect_eq "resident memory's spread after the first minute" "at most 1024 kB" \
    "$([ $((high - low)) -le 1024 ] && echo "at most 1024 kB" || echo "$((high - low)) kB")"
  kill -TERM "$pid"
  e2e_wait_exit 10 >/dev/null
  e2e_finish
  exit
fi

wl_start "$folder"
wl_wait_window "Swoopy!" 15 || e2e_fail "no game window from $program: $(cat "$E2E_ERR")"
got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 10) || e2e_fail "no start screen: pixel 850,480 is $got"
sleep 1
pid=$(cat "$WL_GAME_PIDFILE")
grep -E '^Vm(RSS|HWM)' "/proc/$pid/status"
echo "resident kB by mapping (the ten largest):"
awk '/^[0-9a-f]+-/ { name = $6 } /^Rss:/ { rss[name == "" ? "[anon]" : name] += $2 }
     END { for (n in rss) printf "%8d %s\n", rss[n], n }' "/proc/$pid/smaps" | sort -rn | head -n 10
[ -n "${WL_MAPS_TO:-}" ] && cp "/proc/$pid/maps" "$WL_MAPS_TO"
kill -TERM "$pid"
e2e_wait_exit 10 >/dev/null
