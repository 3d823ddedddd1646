#!/usr/bin/env bash
# The window is its usual size in the compositor's points at SWOOPY_SCALE=1 (the
# suite's) on every output, and the game draws each point with as many pixels
# as the output it is on takes: on an output of scale 2 its pixels are twice
# that, with detail finer than a point (not a scale-1 frame blown up); moved to
# an output of scale 1 it presents one pixel a point; when that output's scale
# is turned to 2 while the game runs, two again. The pointer lands where it
# points: a name typed and a click on Start's place starts the game.
# What the game presents is read from its own requests (WAYLAND_DEBUG).
#   test_scale.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
# A 4K screen at scale 2, where the window fits as on a 1920x1080 one at 1, and
# beside it a second output at scale 1.
wl_sway output HEADLESS-1 resolution 3840x2160 scale 2 || e2e_fail "sway cannot scale its output"
wl_sway create_output || e2e_fail "sway cannot add an output"
wl_sway output HEADLESS-2 resolution 2560x1440 position 1920 0 scale 1 || e2e_fail "sway cannot set up HEADLESS-2"
folder=$(wl_game_folder "$program" "$assets") || e2e_fail "cannot make the play folder"

# The size of the latest frame buffer the game made; the pointer's are far smaller.
last_buffer() {
  grep -o 'create_buffer(new id wl_buffer@[0-9]*, 0, [0-9]*, [0-9]*' "$E2E_ERR" |
    awk -F', ' '$3 > 200 { size = $3 "x" $4 } END { print size }'
}
wait_buffer() {
  local end=$((SECONDS + 60))
  until [ "$(last_buffer)" = "$1" ] || [ $SECONDS -ge $end ]; do sleep 0.1; done
  last_buffer
}
# detail_finer_than_a_point PNG: the introduction's text, against itself with
# every 2x2 block made one pixel: a frame drawn at scale 1 and doubled would
# not differ at all.
detail_finer_than_a_point() {
  local finer
  convert "$1" -crop 600x400+100+150 +repage "$work/text.png"
  convert "$work/text.png" -scale 50% -sample 200% "$work/blocks.png"
  finer=$(compare -metric AE "$work/text.png" "$work/blocks.png" null: 2>&1)
  awk -v n="$finer" 'BEGIN { print (n + 0 > 1000) ? "yes" : "no, " n }'
}

WAYLAND_DEBUG=client wl_start "$folder"
wl_wait_window "Swoopy!" 60 || e2e_fail "the game window did not appear"
e2e_expect_eq "the window as sway holds it, in points" "floating_con 1109 607" "$(wl_window_type "Swoopy!")"
wl_move 1060 590
got=$(e2e_wait_pixel wl 1700 960 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 1700,960 is $got"
e2e_expect_eq "the frame presented on the output of scale 2" "2218x1214" "$(wait_buffer 2218x1214)"
wl_screenshot "$work/start.png"
e2e_expect_eq "the window's pixels" "2218x1214" "$(identify -format '%wx%h' "$work/start.png")"
e2e_expect_eq "detail finer than a point in the introduction (over 1000 pixels)" yes \
  "$(detail_finer_than_a_point "$work/start.png")"

wl_sway '[title="^Swoopy!$"] move container to output HEADLESS-2' || e2e_fail "sway cannot move the window"
wl_wait_window "Swoopy!" 60 || e2e_fail "the window is gone after the move"
e2e_expect_eq "the frame presented on the output of scale 1" "1109x607" "$(wait_buffer 1109x607)"
e2e_expect_eq "the window there, in points" "floating_con 1109 607" "$(wl_window_type "Swoopy!")"
wl_move 1060 590
got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 60) || e2e_expect_eq "the start screen on the output of scale 1" "#FFFFFF" "$got"

wl_sway output HEADLESS-2 scale 2 || e2e_fail "sway cannot scale HEADLESS-2"
# The output is half as large in points now; the window is put back on it.
wl_sway '[title="^Swoopy!$"] move position center'
wl_wait_window "Swoopy!" 60 || e2e_fail "the window is gone after the change of scale"
e2e_expect_eq "the frame presented once the output's scale is 2" "2218x1214" "$(wait_buffer 2218x1214)"
wl_move 1060 590
got=$(e2e_wait_pixel wl 1700 960 "#FFFFFF" 60) || e2e_fail "no start screen at the new scale: pixel 1700,960 is $got"
wl_screenshot "$work/turned.png"
e2e_expect_eq "detail finer than a point after the change of scale" yes "$(detail_finer_than_a_point "$work/turned.png")"

wl_click_field 840 141 2 || e2e_fail "the name field did not take the click"
wl_type "Ann"
wl_click 785 176
wl_move 1060 590
got=$(e2e_wait_pixel_change wl 900 600 "#FFFFFF" 60) || e2e_fail "Start did not start the game: pixel 900,600 is $got"

wl_close
e2e_wait_exit 60
e2e_expect_eq "exit code after the close request" 0 "$?"
e2e_finish
