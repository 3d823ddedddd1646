#!/usr/bin/env bash
# Pause: P covers the playfield and stops the clock, P again goes on after a
# count; another window activated pauses too, and coming back does not go on.
#   test_pause.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

# Focus moves between windows need a window manager; it runs on the test's own
# server, with the test's own home for its settings.
e2e_begin "$@"
e2e_window_manager
other=""
trap 'status=$?; [ -z "$other" ] || { kill "$other" 2>/dev/null; wait "$other" 2>/dev/null; }; (exit "$status"); e2e_cleanup' EXIT

time_label=(520 536 177 40)
# brightest SHOT X Y W H: the region's brightest channel value, 0 to 255.
brightest() {
  convert "$1" -alpha off -crop "$4x$5+$2+$3" +repage -depth 8 -format '%[fx:int(255 * maxima)]' info:
}
# paused SHOT: the playfield black from edge to edge but for light text in its
# middle rows.
paused() {
  [ "$(brightest "$1" 0 0 888 200)" = 0 ] && [ "$(brightest "$1" 0 320 888 192)" = 0 ] &&
    [ "$(brightest "$1" 0 200 888 120)" -ge 200 ]
}
not_paused() { ! paused "$1"; }
# clock_moved SHOT: the time text differs from that of the paused screenshot.
clock_moved() { [ "$(e2e_count_changed "$work/paused.png" "$1" "${time_label[@]}")" != 0 ]; }
# wait_for WHAT SECONDS COMMAND...: runs COMMAND on fresh screenshots until it holds.
wait_for() {
  local what=$1 seconds=$2 end
  shift 2
  end=$((SECONDS + seconds))
  while [ $SECONDS -lt $end ]; do
    e2e_screenshot "$wid" "$work/now.png"
    "$@" "$work/now.png" && return 0
    sleep 0.2
  done
  e2e_expect_eq "$what" "within ${seconds}s" "not seen"
  return 1
}
e2e_start "$run" "$program"
wid=$(e2e_wait_window "Swoopy!" 10 "$E2E_PID") || e2e_fail "the game window did not appear"
got=$(e2e_wait_pixel "$wid" 850 480 "#FFFFFF" 10) || e2e_fail "no start screen: pixel 850,480 is $got"
# P on the start screen pauses nothing; in the name field it types.
e2e_key "$wid" p
e2e_click_field "$wid" 780 140 || e2e_fail "the name field did not take the click"
e2e_type "$wid" "Pip"
e2e_click "$wid" 785 176
got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 10) || e2e_fail "the game did not start: pixel 450,300 is $got"
e2e_screenshot "$wid" "$work/started.png"
clock_running() { [ "$(e2e_count_changed "$work/started.png" "$1" "${time_label[@]}")" != 0 ]; }
wait_for "the clock running" 10 clock_running || e2e_fail "the clock did not run"

# 1. P pauses: the cover, and a clock that stands for several seconds.
e2e_key "$wid" p
wait_for "the cover after P" 5 paused || e2e_fail "P did not pause"
cp "$work/now.png" "$work/paused.png"
sleep 3.5
e2e_screenshot "$wid" "$work/paused-later.png"
e2e_expect_eq "time text changed while paused" 0 \
  "$(e2e_count_changed "$work/paused.png" "$work/paused-later.png" "${time_label[@]}")"
e2e_expect_eq "cover still there" yes "$(paused "$work/paused-later.png" && echo yes || echo no)"

# 2. P goes on after the count: the cover stays for the count, then the clock runs.
e2e_key "$wid" p
e2e_screenshot "$wid" "$work/counting.png"
e2e_expect_eq "the playfield covered at the count's start" yes "$(paused "$work/counting.png" && echo yes || echo no)"
wait_for "the playfield back after the count" 6 not_paused || e2e_fail "P did not resume"
wait_for "the time text changing after the pause" 4 clock_moved

# 3. Another window activated pauses; the game's window active again does not go on.
xmessage -center "another window" >/dev/null 2>&1 &
other=$!
msg=""
for _ in $(seq 1 100); do
  # xmessage names no process on its window; on our own display its class is enough.
  msg=$(xdotool search --onlyvisible --class Xmessage 2>/dev/null | head -n 1)
  [ -n "$msg" ] && break
  sleep 0.05
done
[ -n "$msg" ] || e2e_fail "the other window did not appear"
xdotool windowactivate "$msg" 2>/dev/null
wait_for "the cover once another window is active" 5 paused || e2e_fail "losing the focus did not pause"
xdotool windowactivate --sync "$wid" 2>/dev/null
for _ in $(seq 1 100); do
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$wid" ] && break
  sleep 0.05
done
# Left alone for a while, it must not go on by itself.
sleep 2
e2e_screenshot "$wid" "$work/back.png"
e2e_expect_eq "still paused with the game's window active again" yes "$(paused "$work/back.png" && echo yes || echo no)"
e2e_click "$wid" 440 300
wait_for "the playfield back after a click and the count" 6 not_paused

kill "$other" 2>/dev/null
wait "$other" 2>/dev/null
other=""
e2e_close "$wid" || e2e_fail "could not send the close request"
e2e_wait_exit 10
e2e_expect_eq "exit code after closing the window" 0 "$?"
e2e_finish
