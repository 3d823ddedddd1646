#!/usr/bin/env bash
# From the start screen into a game: Start stays dead until the name field is
# edited; then Enter, Alt+S or a click starts the game, the sound label shows
# the name and the top bar the lives.
#   test_start.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_begin "$@"

# Regions of the window: the name field's inside, the Start caption, the sound
# label, the lives label.
field=(714 130 133 22)
caption=(740 164 92 26)
sound_label=(952 460 105 18)
lives_label=(336 24 225 33)

# start_screen SHOT: runs the program, waits for its start screen and takes a
# screenshot of it; sets $wid.
start_screen() {
  e2e_start_screen "$run"
  e2e_screenshot "$wid" "$1"
}

# field_text_right SHOT: the right edge of the dark text (and caret) in the name field.
field_text_right() {
  e2e_pixels_in "$1" "${field[@]}" 0 100 | cut -d' ' -f4
}

# wait_field_right CONDITION: waits until the field's right text edge r meets
# CONDITION (an awk expression; r is 0 for an empty field) in two screenshots
# in a row, so that typing still under way is not taken for its end; at most
# 5 s. Prints the last edge seen and fails when the time ran out.
wait_field_right() {
  local end=$((SECONDS + 5)) r="" last=""
  while :; do
    e2e_screenshot "$wid" "$work/field.png"
    r=$(field_text_right "$work/field.png")
    [ "$r" = "-" ] && r=0
    if awk -v r="$r" "BEGIN { exit !($1) }"; then
      [ "$r" = "$last" ] && break
      last=$r
    else
      last=""
    fi
    if [ $SECONDS -ge $end ]; then
      echo "$r"
      return 1
    fi
    sleep 0.1
  done
  echo "$r"
}

# wait_game_started WHAT: waits for the introduction panel to give way to the tiles.
wait_game_started() {
  local got
  got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 60) ||
    e2e_expect_eq "$1: introduction panel" "gone" "still there (pixel 450,300 is $got)"
}

close_game() {
  e2e_close "$wid" || e2e_fail "could not send the close request"
  e2e_wait_exit 60
  e2e_expect_eq "exit code after the close box" 0 "$?"
}

# 1. Before the name field is edited nothing starts the game, and typing goes
#    nowhere until the field is clicked. Then a name and Enter start it.
start_screen "$work/start.png"
right0=$(field_text_right "$work/start.png")
e2e_key "$wid" Return alt+s
e2e_type "$wid" "WWWW"
e2e_click "$wid" 785 176
e2e_click_field "$wid" 780 140 || e2e_fail "the name field did not take the click"
e2e_type "$wid" "Zed"
# Events arrive in order: once "Zed" shows, everything sent before it was handled.
right1=$(wait_field_right "r >= $right0 + 12") ||
  e2e_expect_eq "name typed into the field" "text's right edge past $((right0 + 12))" "$right1"
e2e_expect_eq "width added by typing Zed (12 to 30 pixels; WWWW before the click must not count)" "yes" \
  "$(awk -v d="$((right1 - right0))" 'BEGIN { print (d >= 12 && d <= 30) ? "yes" : "no, " d }')"
e2e_screenshot "$wid" "$work/typed.png"
e2e_expect_eq "introduction panel before Start is enabled" "#FFFFFF" "$(e2e_pixel "$work/typed.png" 450 300)"
read -r n _ < <(e2e_pixels_in "$work/typed.png" "${caption[@]}" 0 100)
[ "$n" -gt 30 ] || e2e_expect_eq "dark caption on the enabled Start button" "over 30 dark pixels" "$n"

e2e_key "$wid" Return
wait_game_started "Enter in the name field"
e2e_screenshot "$wid" "$work/game.png"
changed=$(e2e_count_changed "$work/start.png" "$work/game.png" "${sound_label[@]}")
[ "$changed" -gt 20 ] || e2e_expect_eq "sound label changed from Sound to the name" "over 20 changed pixels" "$changed"
read -r n left _ right _ < <(e2e_pixels_in "$work/game.png" "${sound_label[@]}" 224 255)
[ "$n" -gt 20 ] || e2e_expect_eq "white name on the sound label" "over 20 white pixels" "$n"
# "Lives: 3" in dark letters, centred on the top bar's white plate.
read -r n left _ right _ < <(e2e_pixels_in "$work/game.png" "${lives_label[@]}" 0 80)
if [ "$n" -lt 100 ]; then
  e2e_expect_eq "lives text on the top bar" "over 100 dark pixels" "$n"
else
  e2e_expect_eq "lives text centred on x 448 (+-4)" "yes" \
    "$(awk -v c="$(((left + right) / 2))" 'BEGIN { print (c >= 444 && c <= 452) ? "yes" : "no, at " c }')"
fi
e2e_expect_color_near "top bar's plate beside the text" "#FFFFFF" "$(e2e_pixel "$work/game.png" 340 40)" 16
close_game

# 2. Deleting the whole name leaves Start enabled; Alt+S then starts a game
#    whose sound label is empty.
start_screen "$work/start2.png"
e2e_click "$wid" 820 140
e2e_key "$wid" End $(printf 'BackSpace %.0s' $(seq 1 16))
r=$(wait_field_right "r <= 718") || e2e_expect_eq "name field emptied (only the caret left)" "right edge at most 718" "$r"
e2e_key "$wid" alt+s
wait_game_started "Alt+S after emptying the name"
e2e_screenshot "$wid" "$work/game2.png"
e2e_expect_eq "white pixels on the empty sound label" "0 - - - -" \
  "$(e2e_pixels_in "$work/game2.png" "${sound_label[@]}" 224 255)"
close_game

# 3. A long name is cut on both sides of the sound label, which keeps its size.
start_screen "$work/start3.png"
e2e_click_field "$wid" 780 140 || e2e_fail "the name field did not take the click"
e2e_type "$wid" "WWWWWWWWWWWW"
e2e_click "$wid" 785 176
wait_game_started "a click on Start"
e2e_screenshot "$wid" "$work/game3.png"
read -r n left _ right _ < <(e2e_pixels_in "$work/game3.png" "${sound_label[@]}" 224 255)
e2e_expect_eq "long name reaching both ends of the sound label" "yes" \
  "$(awk -v l="$left" -v r="$right" 'BEGIN { print (l <= 956 && r >= 1052) ? "yes" : "no, from " l " to " r }')"
e2e_expect_eq "white pixels left of the sound label" "0 - - - -" "$(e2e_pixels_in "$work/game3.png" 943 460 9 18 224 255)"
e2e_expect_eq "white pixels right of the sound label" "0 - - - -" "$(e2e_pixels_in "$work/game3.png" 1057 460 5 18 224 255)"
close_game

e2e_finish
