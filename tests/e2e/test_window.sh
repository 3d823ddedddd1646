#!/usr/bin/env bash
# The game's window as the player first sees it: title, place, fixed size,
# icon, and what the start screen shows before anything is typed.
#   test_window.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_begin "$@"
# Our own introduction, so that we know where its text lies: a line, an empty
# line, a line. The panel starts with an empty line of its own above them.
printf 'Window check\r\n\r\nSecond line of text\r\n' >"$run/intro.txt"

e2e_start_screen "$run"

# Title, place and size: the client area sits where the layout puts the window.
e2e_expect_eq "window title" "WM_NAME(STRING) = \"Swoopy!\"" "$(xprop -id "$wid" WM_NAME)"
read -r x y w h < <(e2e_geometry "$wid")
e2e_expect_eq "client area size" "1109 607" "$w $h"
e2e_expect_eq "client area's place on the screen" "192 112" "$x $y"

# Not resizable: the window manager is told the smallest and largest sizes are both the layout's.
hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
e2e_expect_eq "minimum size" "1109 by 607" "$(sed -n 's/.*minimum size: //p' <<<"$hints")"
e2e_expect_eq "maximum size" "1109 by 607" "$(sed -n 's/.*maximum size: //p' <<<"$hints")"

# The program icon is one 32 x 32 image.
e2e_expect_eq "icon" "Icon (32 x 32):" "$(xprop -id "$wid" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*):' | head -n 1)"

shot="$(e2e_workdir)/start.png"
e2e_screenshot "$wid" "$shot" || e2e_fail "no screenshot"

# The introduction panel covers the playfield and the top bar.
e2e_expect_eq "introduction panel, lower right" "#FFFFFF" "$(e2e_pixel "$shot" 850 480)"
e2e_expect_eq "introduction panel over the top bar" "#FFFFFF" "$(e2e_pixel "$shot" 450 30)"
e2e_expect_eq "introduction panel, middle" "#FFFFFF" "$(e2e_pixel "$shot" 450 300)"

# Its first line is empty; our lines follow on the second, third and fourth.
# Text counts as pixels no lighter than 128 between x 4 and 700.
band() { e2e_pixels_in "$shot" 4 "$1" 700 "$2" 0 128 | cut -d' ' -f1; }
e2e_expect_eq "dark pixels on the panel's first line" 0 "$(band 2 18)"
[ "$(band 22 19)" -gt 50 ] || e2e_expect_eq "text on the panel's second line" "some" "$(band 22 19) dark pixels"
e2e_expect_eq "dark pixels on the empty third line" 0 "$(band 44 19)"
[ "$(band 66 19)" -gt 50 ] || e2e_expect_eq "text on the panel's fourth line" "some" "$(band 66 19) dark pixels"
e2e_expect_eq "dark pixels below the last line" 0 "$(band 92 400)"

# The name field shows its text in dark letters.
read -r n _ < <(e2e_pixels_in "$shot" 714 130 133 22 0 100)
[ "$n" -gt 50 ] || e2e_expect_eq "text in the name field" "some" "$n dark pixels"
# Start is disabled: its caption is drawn, but grey, with nothing dark in it.
read -r n _ < <(e2e_pixels_in "$shot" 740 164 92 26 101 200)
[ "$n" -gt 30 ] || e2e_expect_eq "grey caption on the Start button" "some" "$n grey pixels"
e2e_expect_eq "dark pixels in the disabled Start caption" "0 - - - -" "$(e2e_pixels_in "$shot" 740 164 92 26 0 100)"

# The shop panel: dark, with the light beige inset, and only the sound label on it.
e2e_expect_color_near "shop panel's dark edge" "#323232" "$(e2e_pixel "$shot" 890 300)" 12
e2e_expect_color_near "shop panel's beige inset" "#DFDEC9" "$(e2e_pixel "$shot" 990 451)" 12
for plate in "140 1" "223 2" "305 3" "387 4"; do
  read -r top number <<<"$plate"
  e2e_expect_eq "light pixels on empty offer plate $number" "0 - - - -" \
    "$(e2e_pixels_in "$shot" 915 $((top + 3)) 175 55 200 255)"
done
# "Sound" in white, centred on the fifth plate's label.
read -r n left _ right _ < <(e2e_pixels_in "$shot" 952 460 105 18 224 255)
if [ "$n" -lt 30 ]; then
  e2e_expect_eq "white text on the sound label" "some" "$n white pixels"
else
  e2e_expect_eq "sound label text centred on x 1004 (+-3)" "yes" \
    "$(awk -v c="$(((left + right) / 2))" 'BEGIN { print (c >= 1001 && c <= 1007) ? "yes" : "no, at " c }')"
fi
# The one visible black square lies beneath the shop panel's picture.
read -r n _ < <(e2e_pixels_in "$shot" 939 400 65 65 0 10)
[ "$n" -lt 50 ] || e2e_expect_eq "black square hidden by the shop panel" "under 50 black pixels" "$n"

# The bottom bar's two white plates are empty.
e2e_expect_eq "non-white pixels on the left status plate" "0 - - - -" "$(e2e_pixels_in "$shot" 40 535 415 40 0 239)"
e2e_expect_eq "non-white pixels on the right status plate" "0 - - - -" "$(e2e_pixels_in "$shot" 510 535 415 40 0 239)"
e2e_expect_color_near "left status plate" "#FFFFFF" "$(e2e_pixel "$shot" 250 558)" 8
e2e_expect_color_near "right status plate" "#FFFFFF" "$(e2e_pixel "$shot" 720 558)" 8
e2e_expect_color_near "bottom bar's dark band" "#323232" "$(e2e_pixel "$shot" 480 600)" 12

e2e_close "$wid" || e2e_fail "could not send the close request"
e2e_wait_exit 60
e2e_expect_eq "exit code after closing the window" 0 "$?"
e2e_finish
