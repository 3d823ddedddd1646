#!/usr/bin/env bash
# The game starts on a seat whose keyboard used last has gone (one wtype call
# came and went before the game), and the seat's keyboard then works: the name
# typed after a click on the field is in the field. The game is played to its
# end, another keyboard comes and goes, and "Try again!" then ends this copy with
# 0 while a new one shows its start screen and takes typing too; the close
# request ends that one.
#   test_keyboard_gone.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
folder=$(wl_game_folder "$program" "$assets") || e2e_fail "cannot make the play folder"

field=(714 130 133 22)  # the name field's inside

# expect_typing WHO: "WWW" typed at the end of the name field shows there.
expect_typing() {
  local changed=0 end=$((SECONDS + 20))
  wl_screenshot "$work/before.png"
  wl_click_field 840 141 || e2e_fail "$1: the name field did not take the click"
  wl_move 1060 590
  wl_key End
  wl_type "WWW"
  while [ "$changed" -le 20 ] && [ $SECONDS -lt $end ]; do
    sleep 0.2
    wl_screenshot "$work/after.png"
    changed=$(e2e_count_changed "$work/before.png" "$work/after.png" "${field[@]}")
  done
  e2e_expect_eq "$1: typed text in the name field" "over 20 changed pixels" \
    "$([ "$changed" -gt 20 ] && echo "over 20 changed pixels" || echo "$changed")"
}

# keyboard_comes_and_goes: a keyboard of its own comes, presses F24 and goes;
# done once sway lists the test's own keyboard alone again.
keyboard_comes_and_goes() {
  local end=$((SECONDS + 20))
  run_unprivileged wtype -k F24 || e2e_fail "wtype failed"
  until [ "$(run_unprivileged swaymsg -t get_inputs -r | grep -c '"type": "keyboard"')" -eq 1 ]; do
    [ $SECONDS -lt $end ] || e2e_fail "wtype's keyboard still there 20 s after it ended"
    sleep 0.05
  done
}

# new_copy OLD_PID: the process of a mapped Swoopy! window other than OLD_PID's.
new_copy() {
  local pid end=$((SECONDS + 60))
  while [ $SECONDS -lt $end ]; do
    pid=$(run_unprivileged swaymsg -t get_tree -r | python3 -c '
import json, sys
def walk(n):
    if n.get("name") == "Swoopy!" and n.get("pid") not in (None, int(sys.argv[1])) and n.get("visible"):
        print(n["pid"])
        sys.exit()
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))
' "$1")
    [ -n "$pid" ] && echo "$pid" && return 0
    sleep 0.1
  done
  return 1
}

keyboard_comes_and_goes
wl_start "$folder"
wl_wait_window "Swoopy!" 60 || e2e_fail "the game window did not appear: $(cat "$E2E_ERR")"
got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 850,480 is $got"
expect_typing "the first copy"

# Start, then the pointer rests on the bottom bar until the time is up.
wl_click 785 176
wl_move 1060 590
# The end screen: its white panel, all four corners of it.
end=$((SECONDS + 180))
corners=""
until [ "$corners" = "#FFFFFF #FFFFFF #FFFFFF #FFFFFF" ] || [ $SECONDS -ge $end ]; do
  sleep 0.5
  wl_screenshot "$work/end.png"
  corners=$(for p in "20 20" "860 20" "20 490" "860 490"; do e2e_pixel "$work/end.png" $p; done | xargs)
done
e2e_expect_eq "the end panel's corners after a game" "#FFFFFF #FFFFFF #FFFFFF #FFFFFF" "$corners"
keyboard_comes_and_goes
old=$(cat "$WL_GAME_PIDFILE")
wl_click 368 468
new=$(new_copy "$old") || e2e_fail "no new copy's window after Try again!: $(tail -n 3 "$E2E_ERR")"
e2e_wait_exit 60
e2e_expect_eq "exit code after Try again!" 0 "$?"
wl_wait_window "Swoopy!" 60 || e2e_fail "the new copy's window is gone"
got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 60) || e2e_fail "no start screen in the new copy: pixel 850,480 is $got"
expect_typing "the new copy"

wl_close
end=$((SECONDS + 60))
while kill -0 "$new" 2>/dev/null && [ $SECONDS -lt $end ]; do sleep 0.1; done
e2e_expect_eq "the new copy after the close request" "ended" "$(kill -0 "$new" 2>/dev/null && echo running || echo ended)"
e2e_finish
