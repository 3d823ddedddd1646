#!/usr/bin/env bash
# The game starts on a seat whose keyboard used last has gone (one wtype call
# came and went before the game), and the seat's keyboard then works: the name typed
# after a click on the field is in the field, and the close request ends the game
# with 0.
#   test_keyboard_gone.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
folder=$(wl_game_folder "$program" "$assets") || e2e_fail "cannot make the play folder"

field=(714 130 133 22)  # the name field's inside

# A keyboard of its own comes, presses F24 and goes; the game starts once sway
# lists the test's own keyboard alone again.
run_unprivileged wtype -k F24 || e2e_fail "wtype failed"
keyboards() {
  run_unprivileged swaymsg -t get_inputs -r | grep -c '"type": "keyboard"'
}
end=$((SECONDS + 20))
until [ "$(keyboards)" -eq 1 ]; do
  [ $SECONDS -lt $end ] || e2e_fail "wtype's keyboard still there 20 s after it ended"
  sleep 0.05
done
wl_start "$folder"
wl_wait_window "Swoopy!" 60 || e2e_fail "the game window did not appear: $(cat "$E2E_ERR")"
got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 850,480 is $got"
wl_screenshot "$work/before.png"
wl_click_field 840 141 || e2e_fail "the name field did not take the click"
wl_key End
wl_type "WWW"
changed=0
end=$((SECONDS + 20))
while [ "$changed" -le 20 ] && [ $SECONDS -lt $end ]; do
  sleep 0.2
  wl_screenshot "$work/after.png"
  changed=$(e2e_count_changed "$work/before.png" "$work/after.png" "${field[@]}")
done
e2e_expect_eq "typed text in the name field" "over 20 changed pixels" \
  "$([ "$changed" -gt 20 ] && echo "over 20 changed pixels" || echo "$changed")"

wl_close
e2e_wait_exit 60
e2e_expect_eq "exit code after the close request" 0 "$?"
e2e_finish
