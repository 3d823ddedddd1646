#!/usr/bin/env bash
# Full screen on Wayland: F11 makes the window cover sway's 1920 x 1080 output,
# with the game at the largest scale that fits, centred on black; a click on
# Start's place there starts the game; F11 again gives back the 1109 x 607
# window, floating at its own size.
#   test_fullscreen.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
folder=$(wl_game_folder "$program" "$assets") || e2e_fail "cannot make the play folder"

# full_state: sway's full-screen mode of the game's window and the rectangle it gives it.
full_state() {
  run_unprivileged swaymsg -t get_tree -r | python3 -c '
import json, sys
def walk(n):
    if n.get("name") == "Swoopy!" and n.get("pid"):
        r = n["rect"]
        print(n.get("fullscreen_mode", 0), r["width"], r["height"])
        sys.exit()
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))
'
}
# wait_full_state STATE: waits (60 s at most) for it; prints the last seen.
wait_full_state() {
  local end=$((SECONDS + 60)) got
  while got=$(full_state) && [ "$got" != "$1" ] && [ $SECONDS -lt $end ]; do sleep 0.1; done
  echo "$got"
}

wl_start "$folder"
wl_wait_window "Swoopy!" 60 || e2e_fail "the game window did not appear"
got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 850,480 is $got"
wl_click 780 141
wl_move 1060 590

# At 1920/1109 the game is 1920 x 1051, 14 rows from the top. Layout (x, y)
# lies at (ceil(x * 1920 / 1109), 14 + ceil(y * 1920 / 1109)).
wl_key F11
e2e_expect_eq "full screen covers the output" "1 1920 1080" "$(wait_full_state "1 1920 1080")"
wl_wait_window "Swoopy!" 5 || e2e_fail "the full-screen window is not visible"
e2e_expect_eq "the full-screen window's corner" "0 0" "$WL_X $WL_Y"
# The whole output from here on.
e2e_screenshot() {
  run_unprivileged grim - >"$2"
}
got=$(e2e_wait_pixel wl 1472 846 "#FFFFFF" 60) ||
  e2e_fail "the start screen was not drawn full screen: pixel 1472,846 is $got"
wl_move 1900 1075
e2e_screenshot wl "$work/full.png"
e2e_expect_eq "black above the game" "#000000 #000000" "$(e2e_pixel "$work/full.png" 960 0) $(e2e_pixel "$work/full.png" 960 13)"
e2e_expect_eq "black below the game" "#000000" "$(e2e_pixel "$work/full.png" 960 1066)"

# Start at layout (785, 176).
wl_type "Zed"
wl_click 1360 319
wl_move 1900 1075
got=$(e2e_wait_pixel_change wl 780 534 "#FFFFFF" 60) ||
  e2e_expect_eq "a click on Start's full-screen place: introduction panel" "gone" "still there (pixel 780,534 is $got)"

wl_key F11
e2e_expect_eq "the window back at its size" "0 1109 607" "$(wait_full_state "0 1109 607")"
e2e_expect_eq "the window as sway holds it" "floating_con 1109 607" "$(wl_window_type "Swoopy!")"

wl_close
e2e_wait_exit 60
e2e_expect_eq "exit code after the close request" 0 "$?"
e2e_finish
