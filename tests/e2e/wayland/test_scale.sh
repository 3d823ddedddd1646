#!/usr/bin/env bash
# On an output of scale 2 the game draws 2 device pixels a layout pixel itself:
# the window is its usual size in the compositor's points, its pixels twice
# that, with detail finer than a point (not a scale-1 frame blown up), and the
# pointer lands where it points: a name typed and a click on Start's place
# starts the game.
#   test_scale.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
# The output's scale decides, not the suite's fixed one.
unset SWOOPY_SCALE
# A 4K screen at scale 2, where the window fits as on a 1920x1080 one at 1.
wl_sway output HEADLESS-1 resolution 3840x2160 scale 2 || e2e_fail "sway cannot scale its output"
folder=$(wl_game_folder "$program" "$assets") || e2e_fail "cannot make the play folder"

wl_start "$folder"
wl_wait_window "Swoopy!" 60 || e2e_fail "the game window did not appear"
e2e_expect_eq "the window as sway holds it, in points" "floating_con 1109 607" "$(wl_window_type "Swoopy!")"
wl_move 1060 590
got=$(e2e_wait_pixel wl 1700 960 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 1700,960 is $got"
wl_screenshot "$work/start.png"
e2e_expect_eq "the window's pixels" "2218x1214" "$(identify -format '%wx%h' "$work/start.png")"
# The introduction's text, against itself with every 2x2 block made one pixel:
# a frame drawn at scale 1 and doubled would not differ at all.
convert "$work/start.png" -crop 600x400+100+150 +repage "$work/text.png"
convert "$work/text.png" -scale 50% -sample 200% "$work/blocks.png"
finer=$(compare -metric AE "$work/text.png" "$work/blocks.png" null: 2>&1)
e2e_expect_eq "detail finer than a point in the introduction (over 1000 pixels)" yes \
  "$(awk -v n="$finer" 'BEGIN { print (n + 0 > 1000) ? "yes" : "no, " n }')"

wl_click_field 840 141 2 || e2e_fail "the name field did not take the click"
wl_type "Ann"
wl_click 785 176
wl_move 1060 590
got=$(e2e_wait_pixel_change wl 900 600 "#FFFFFF" 60) || e2e_fail "Start did not start the game: pixel 900,600 is $got"

wl_close
e2e_wait_exit 60
e2e_expect_eq "exit code after the close request" 0 "$?"
e2e_finish
