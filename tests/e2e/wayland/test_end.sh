#!/usr/bin/env bash
# On Wayland, a start-up failure first: its box comes up on the compositor and
# closing it ends the program with 1. Then a whole game, to its end by time: the
# end screen shows the table, into which the player's score went, in the
# high-score file too; "Exit!" ends the game with exit code 0, and the game's
# record checks to the score in the table, as an X11 game's does.
#   test_end.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
mkdir -p "$work/files"
cp "$assets"/*.wav "$assets/intro.txt" "$work/files/"
# A table whose last entries lie below what a minute of play scores.
printf '%s\r\n' "900      Ann" "800      Bob" "700      Cy" "600      Dee" "500      Eli" \
  "400      Fay" "300      Gus" "200      Hal" "20      Ida" "10      Jo" >"$work/files/scores.txt"
folder=$(wl_game_folder "$program" "$work/files") || e2e_fail "cannot make the play folder"

# Without click.wav the game cannot start: the start-up error box comes up, a
# window of its own on the compositor, and closing it ends the program with 1.
mv "$folder/click.wav" "$folder/click.wav.away"
wl_start "$folder"
wl_wait_window "Application Error" 60 || e2e_fail "no start-up error box"
e2e_expect_eq "the game's window behind the box" "" "$(wl_window_type "Swoopy!")"
wl_sway '[title="^Application Error$"] kill'
e2e_wait_exit 60
e2e_expect_eq "exit code after the start-up error" 1 "$?"
mv "$folder/click.wav.away" "$folder/click.wav"

# The pointer rests on the bottom bar until the time is up.
wl_play "$folder" "Wyn"
end=$((SECONDS + 80))
until grep -q "Wyn" "$folder/scores.txt" 2>/dev/null || [ $SECONDS -ge $end ]; do sleep 0.5; done
grep -q "Wyn" "$folder/scores.txt" || { wl_screenshot "$work/no-end.png"; e2e_fail "no score of Wyn in the high-score file after 80 s"; }
e2e_expect_eq "entries in the rewritten table" 10 "$(grep -c . "$folder/scores.txt")"

# The end screen: the white panel over the playfield, the table on it and the
# two buttons with their captions, drawn with the panel.
got=$(e2e_wait_pixel wl 860 490 "#FFFFFF" 60) || e2e_expect_eq "end panel's corner" "#FFFFFF" "$got"
wl_screenshot "$work/end.png"
for p in "20 20" "860 20" "20 490" "860 490"; do
  e2e_expect_eq "end panel at $p" "#FFFFFF" "$(e2e_pixel "$work/end.png" $p)"
done
read -r n _ < <(e2e_pixels_in "$work/end.png" 264 185 350 230 0 80)
[ "$n" -gt 300 ] || e2e_expect_eq "high-score table on the end screen" "over 300 dark pixels" "$n"
read -r n _ < <(e2e_pixels_in "$work/end.png" 455 455 80 26 0 80)
[ "$n" -gt 30 ] || e2e_expect_eq "caption of Exit!" "over 30 dark pixels" "$n"

wl_click 496 468
e2e_wait_exit 60
e2e_expect_eq "exit code after Exit!" 0 "$?"

# The table's line: the score, six spaces and the name as the field held it.
line=$(tr -d '\r' <"$folder/scores.txt" | grep -m 1 "Wyn")
record=$(cd "$folder" && ls replays/*.swoopyrec)
e2e_expect_eq "--verify on the game's record" "$record: ${line%% *} points, ${line#*      }" \
  "$(cd "$folder" && "$program" --verify "$record")"

e2e_finish
