#!/usr/bin/env bash
# The game at presentation scale 2: a window twice the layout's size in each
# direction, at twice the layout's place, that starts a game from a click on
# Start's place on the screen.
#   test_scale.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

# The window reaches x 2602 and y 1438 on the screen.
E2E_MIN_SIZE="2700 1500" e2e_begin "$@"

export SWOOPY_SCALE=2
# Layout pixel (850, 480) of the introduction panel is device pixel (1700, 960).
e2e_start_screen "$run" 1700 960

read -r x y w h < <(e2e_geometry "$wid")
e2e_expect_eq "client area size" "2218 1214" "$w $h"
e2e_expect_eq "client area's place on the screen" "384 224" "$x $y"
hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
e2e_expect_eq "fixed size" "2218 by 1214" "$(sed -n 's/.*maximum size: //p' <<<"$hints")"

# Name field at layout (780, 140), Start at layout (785, 176): twice that on the screen.
e2e_click_field "$wid" 1560 280 || e2e_fail "the name field did not take the click"
e2e_type "$wid" "Zed"
shot="$(e2e_workdir)/typed.png"
e2e_screenshot "$wid" "$shot"
e2e_expect_eq "introduction panel before Start" "#FFFFFF" "$(e2e_pixel "$shot" 900 600)"
e2e_click "$wid" 1570 352
got=$(e2e_wait_pixel_change "$wid" 900 600 "#FFFFFF" 60) ||
  e2e_expect_eq "a click on Start's device place: introduction panel" "gone" "still there (pixel 900,600 is $got)"

e2e_close "$wid" || e2e_fail "could not send the close request"
e2e_wait_exit 60
e2e_expect_eq "exit code after closing the window" 0 "$?"
e2e_finish
