#!/usr/bin/env bash
# Full screen: F11 makes the window cover the screen, with the game at the
# largest scale that fits, centred on black; a click on Start's place there
# starts the game; F11 again gives back the 1109 x 607 window at its place.
#   test_fullscreen.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

program=$(realpath "${1:?usage: test_fullscreen.sh PROGRAM ASSETS}")
assets=${2:?usage: test_fullscreen.sh PROGRAM ASSETS}
# A server of our own, so that the screen's size and the places on it are known,
# with a window manager: full screen is the window manager's to grant.
unset DISPLAY
e2e_ensure_display 2800 1600 || e2e_fail "no X display"
e2e_window_manager
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2]; exit }')
e2e_expect_eq "screen size" "2800 1600" "$screen_w $screen_h" || e2e_fail "the places below are for a 2800 x 1600 screen"
run="$(e2e_workdir)/run"
mkdir -p "$run"
cp "$assets"/*.wav "$assets/intro.txt" "$assets/scores.txt" "$run/" || e2e_fail "cannot copy the game's files from $assets"

e2e_start "$run" "$program"
wid=$(e2e_wait_window "Swoopy!" 60) || e2e_fail "the game window did not appear"
got=$(e2e_wait_pixel "$wid" 850 480 "#FFFFFF" 60) || e2e_fail "the start screen was not drawn: pixel 850,480 is $got"
read -r x0 y0 w0 h0 < <(e2e_geometry "$wid")
e2e_expect_eq "window's client area" "1109 607" "$w0 $h0"

# At 2800/1109 the client area is 2800 x 1533, 33 pixels from the top. Layout
# (x, y) lies at (ceil(x * 2800 / 1109), 33 + ceil(y * 2800 / 1109)).
e2e_key "$wid" F11
got=$(e2e_wait_pixel "$wid" 2147 1245 "#FFFFFF" 60) ||
  e2e_fail "the start screen was not drawn full screen: pixel 2147,1245 is $got"
e2e_expect_eq "full screen covers the screen" "0 0 2800 1600" "$(e2e_geometry "$wid")"
shot="$(e2e_workdir)/full.png"
e2e_screenshot "$wid" "$shot"
# Rows 33 to 1565 are the game's, black above and below.
e2e_expect_eq "black above the game" "#000000 #000000" "$(e2e_pixel "$shot" 1400 0) $(e2e_pixel "$shot" 1400 32)"
e2e_expect_eq "black below the game" "#000000 #000000" "$(e2e_pixel "$shot" 1400 1566) $(e2e_pixel "$shot" 1400 1599)"
for row in 33 1565; do
  [ "$(e2e_pixel "$shot" 1400 "$row")" != "#000000" ] || e2e_expect_eq "the game's row $row" "drawn" "black"
done

# The name field at layout (780, 140), Start at layout (785, 176).
e2e_click_field "$wid" 1970 387 || e2e_fail "the name field did not take the click"
e2e_type "$wid" "Zed"
got=$(e2e_window_pixel "$wid" 2147 1245)
e2e_expect_eq "introduction panel before Start" "#FFFFFF" "$got"
e2e_click "$wid" 1982 478
got=$(e2e_wait_pixel_change "$wid" 2147 1245 "#FFFFFF" 60) ||
  e2e_expect_eq "a click on Start's full-screen place: introduction panel" "gone" "still there (pixel 2147,1245 is $got)"

e2e_key "$wid" F11
end=$((SECONDS + 60))
while [ "$(e2e_geometry "$wid")" != "$x0 $y0 $w0 $h0" ] && [ $SECONDS -lt $end ]; do sleep 0.1; done
e2e_expect_eq "the window back at its place and size" "$x0 $y0 1109 607" "$(e2e_geometry "$wid")"

e2e_close "$wid" || e2e_fail "could not send the close request"
e2e_wait_exit 60
e2e_expect_eq "exit code after closing the window" 0 "$?"
e2e_finish
