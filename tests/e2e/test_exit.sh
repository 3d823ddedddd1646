#!/usr/bin/env bash
# The close box ends the program with exit code 0, on the start screen and
# during a game; closing during a game leaves the high-score file alone.
#   test_exit.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_begin "$@"

# close_and_expect_exit WHEN: the close box, then exit code 0 and no window left.
close_and_expect_exit() {
  e2e_close "$wid" || e2e_fail "could not send the close request ($1)"
  e2e_wait_exit 60
  e2e_expect_eq "exit code after the close box $1" 0 "$?"
  e2e_expect_eq "game window left after the close box $1" "" "$(xdotool search --onlyvisible --name '^Swoopy!$' 2>/dev/null)"
}

# On the start screen.
e2e_start_screen "$run"
close_and_expect_exit "on the start screen"

# During a game: a name typed, Start clicked.
cp "$run/scores.txt" "$(e2e_workdir)/scores.before"
e2e_start_screen "$run"
e2e_click_field "$wid" 780 140 || e2e_fail "the name field did not take the click"
e2e_type "$wid" "Eve"
e2e_click "$wid" 785 176
# The introduction panel gives way to the tile field: grey or silver tiles with
# black outlines.
got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 60) ||
  e2e_expect_eq "introduction panel after Start" "gone" "still there (pixel 450,300 is $got)"
if ! e2e_color_near "#808080" "$got" && ! e2e_color_near "#C0C0C0" "$got" && ! e2e_color_near "#000000" "$got"; then
  e2e_expect_eq "tile field's colour at 450,300" "grey, silver or black" "$got"
fi
close_and_expect_exit "during a game"
e2e_expect_eq "high-score file after closing during a game" "unchanged" \
  "$(cmp -s "$(e2e_workdir)/scores.before" "$run/scores.txt" && echo unchanged || echo changed)"

e2e_finish
