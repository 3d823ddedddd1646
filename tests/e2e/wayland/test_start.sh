#!/usr/bin/env bash
# The game on a Wayland compositor of its own, natively: the window floats at
# its own size with its title and start screen; a click gives the name field the
# keyboard, typed text and the clipboard's text (Ctrl+V) go into it, Start
# starts the game, and the pointer on the black square that comes out of the
# shop scores a touch; the compositor's close request ends the game with 0.
#   test_start.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
folder=$(wl_game_folder "$program" "$assets") || e2e_fail "cannot make the play folder"

field=(714 130 133 22)       # the name field's inside
coins=(800 536 90 40)        # the count in the status line's "Money: 0 $"

# field_text_right SHOT: the right edge of the dark text (and caret) in the name field.
field_text_right() {
  local r
  r=$(e2e_pixels_in "$1" "${field[@]}" 0 100 | cut -d' ' -f4)
  [ "$r" = - ] && r=0
  echo "$r"
}

# wait_field_right CONDITION: waits (20 s at most) until the field's text edge r
# meets CONDITION in two screenshots in a row; prints the last edge seen.
wait_field_right() {
  local end=$((SECONDS + 20)) r last=""
  while :; do
    wl_screenshot "$work/field.png"
    r=$(field_text_right "$work/field.png")
    if awk -v r="$r" "BEGIN { exit !($1) }"; then
      [ "$r" = "$last" ] && break
      last=$r
    else
      last=""
    fi
    [ $SECONDS -ge $end ] && { echo "$r"; return 1; }
    sleep 0.1
  done
  echo "$r"
}

wl_start "$folder"
wl_wait_window "Swoopy!" 60 || e2e_fail "the game window did not appear"
e2e_expect_eq "the window as sway holds it" "floating_con 1109 607" "$(wl_window_type "Swoopy!")"
# The game presents through shared memory of its own: nothing of the system's
# GL (libGL, libEGL, Mesa's drivers, LLVM, Vulkan) belongs in its memory. (SDL
# itself links GBM, for its KMS driver, which loads nothing until used.)
gl=$(grep -oE '/[^ ]*/(lib(GL|GLX|GLdispatch|EGL|EGL_mesa|LLVM|vulkan|glapi)[-_.][^ ]*|[a-z0-9_]+_dri\.so)' \
  "/proc/$(cat "$WL_GAME_PIDFILE")/maps" | sort -u | tr '\n' ' ')
e2e_expect_eq "GL libraries mapped by the game" "none" "${gl:-none}"
got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 850,480 is $got"
wl_screenshot "$work/start.png"
e2e_expect_eq "introduction panel" "#FFFFFF" "$(e2e_pixel "$work/start.png" 450 300)"
right0=$(field_text_right "$work/start.png")

# Typing goes nowhere before the field is clicked; then it goes in.
wl_type "WWWW"
wl_click_field 840 141 || e2e_fail "the name field did not take the click"
wl_key End
wl_type "Zed"
right1=$(wait_field_right "r >= $right0 + 12") ||
  e2e_expect_eq "typed name in the field" "text's right edge past $((right0 + 12))" "$right1"
e2e_expect_eq "width added by typing Zed (12 to 30 pixels; WWWW before the click must not count)" yes \
  "$(awk -v d="$((right1 - right0))" 'BEGIN { print (d >= 12 && d <= 30) ? "yes" : "no, " d }')"

# The clipboard's text comes in with Ctrl+V.
wl_clipboard "Mo"
wl_wait_clipboard "Mo" 60 || e2e_fail "the clipboard never held Mo"
wl_key ctrl+v
right2=$(wait_field_right "r >= $right1 + 10") ||
  e2e_expect_eq "clipboard text pasted into the field" "text's right edge past $((right1 + 10))" "$right2"

# Start, then the black square that waits under the shop glides left along the
# row from y 400, at a speed of its own: the pointer waits on its way, just out
# of the shop, stirring, until the coins change.
wl_click 785 176
wl_move 1060 590
got=$(e2e_wait_pixel_change wl 450 300 "#FFFFFF" 60) || e2e_fail "the game did not start: pixel 450,300 is $got"
# The status line comes with the first movement tick.
end=$((SECONDS + 60))
while :; do
  wl_screenshot "$work/before.png"
  read -r n _ < <(e2e_pixels_in "$work/before.png" "${coins[@]}" 0 80)
  [ "$n" -gt 20 ] || [ $SECONDS -ge $end ] && break
  sleep 0.1
done
[ "$n" -gt 20 ] || e2e_expect_eq "coins text in the status line" "over 20 dark pixels" "$n"
wl_stir 870 432 40
touched=""
end=$((SECONDS + 40))
while [ $SECONDS -lt $end ]; do
  wl_screenshot "$work/after.png"
  changed=$(e2e_count_changed "$work/before.png" "$work/after.png" "${coins[@]}")
  if [ "$changed" -gt 10 ]; then
    touched=yes
    break
  fi
  sleep 0.2
done
wl_stop_stir
e2e_expect_eq "coins text changed by a touch of the black square" yes "${touched:-no}"

wl_close
e2e_wait_exit 60
e2e_expect_eq "exit code after the close request" 0 "$?"
e2e_finish
