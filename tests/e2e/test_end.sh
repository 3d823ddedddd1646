#!/usr/bin/env bash
# Whole games to the end screen by time, two side by side so that one minute
# of play serves both ways out: the reason, the final score and the table are
# shown and the high-score file is rewritten; "Exit!" then ends one copy with
# exit code 0, and "Try again!" ends the other with 0 after a new copy has
# shown its start screen. Each game has a display of its own: a game that loses
# the keyboard focus pauses, and one display has one focus.
#   test_end.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_begin "$@"

display_a="" display_b=""
B_PID=""        # the second game, started here rather than by e2e_start
# Two play folders. A's table has LF line ends and a tenth entry below 61, so
# the rewrite shows in its bytes; B's tenth entry ties with 61 and stays.
entries() {   # entries SEP SCORE NAME...: one line per pair
  local sep=$1
  shift
  while [ $# -gt 0 ]; do printf '%s      %s%s' "$1" "$2" "$sep"; shift 2; done
}
table_a=(900 Ann 800 Bob 700 Cy 600 Dee 500 Eli 400 Fay 300 Gus 200 Hal 100 Ida 50 Jo)
table_b=(900 Ann 800 Bob 700 Cy 600 Dee 500 Eli 400 Fay 300 Gus 200 Hal 100 Ida 61 Kim)
for g in a b; do
  e2e_game_files "$work/$g"
done
entries $'\n' "${table_a[@]}" >"$work/a/scores.txt"
entries $'\r\n' "${table_b[@]}" >"$work/b/scores.txt"
cp "$work/b/scores.txt" "$work/b.before"

# swoopy_windows: the ids of every shown game window on the test's own displays.
swoopy_windows() {
  local d
  for d in $display_a $display_b; do
    DISPLAY=$d xdotool search --onlyvisible --name '^Swoopy!$' 2>/dev/null
  done | sort
}

# wait_new_copy OLD_PID: prints the process id and the window of the copy that
# the game OLD_PID started of itself. The copy is detached, so it is found by
# the test's mark in its environment; its window by its process, since the
# server may well give it the very window id an ended copy had.
wait_new_copy() {
  local end=$((SECONDS + 60)) pid id
  while [ $SECONDS -lt $end ]; do
    for pid in $(e2e_marked_pids); do
      [ "$pid" != "$1" ] || continue
      id=$(e2e_windows_of "Swoopy!" "$pid" | head -n 1)
      [ -n "$id" ] && { echo "$pid $id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}

# on GAME: the display of game a or b becomes the current one.
on() {
  if [ "$1" = a ]; then export DISPLAY=$display_a; else export DISPLAY=$display_b; fi
}

# start_game WID NAME: waits for the start screen, types the name, presses
# Start and parks the pointer off every window, where it touches nothing.
start_game() {
  local got
  got=$(e2e_wait_pixel "$1" 850 480 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 850,480 is $got"
  e2e_click_field "$1" 780 140 || e2e_fail "the name field did not take the click"
  e2e_key "$1" ctrl+a
  e2e_type "$1" "$2"
  e2e_click "$1" 785 176
  got=$(e2e_wait_pixel_change "$1" 450 300 "#FFFFFF" 60) || e2e_fail "$2's game did not start"
  xdotool mousemove 1599 999
}

# end_screen WID SHOT: waits until the playfield turns white for the end screen.
end_screen() {
  local end=$((SECONDS + 80)) got=""
  while [ $SECONDS -lt $end ]; do
    e2e_screenshot "$1" "$2"
    got=$(e2e_pixel "$2" 850 480)
    [ "$got" = "#FFFFFF" ] && return 0
    sleep 0.5
  done
  e2e_fail "no end screen within 80 s: pixel 850,480 is $got"
}

# expect_end_texts SHOT WHO: the reason "You ran out of time!" (not the red
# square's), the final score, the table and the two buttons are drawn.
expect_end_texts() {
  local n
  read -r n _ < <(e2e_pixels_in "$1" 328 96 230 29 0 80)
  [ "$n" -gt 100 ] || e2e_expect_eq "$2: dark text of the time-out reason" "over 100 pixels" "$n"
  e2e_expect_eq "$2: text where the red-square reason would be" "0 - - - -" "$(e2e_pixels_in "$1" 328 64 237 29 0 80)"
  read -r n _ < <(e2e_pixels_in "$1" 264 144 377 36 0 80)
  [ "$n" -gt 100 ] || e2e_expect_eq "$2: dark text of the final score" "over 100 pixels" "$n"
  read -r n _ _ _ bottom < <(e2e_pixels_in "$1" 266 186 349 229 0 80)
  [ "$n" -gt 300 ] && [ "$bottom" -gt 300 ] ||
    e2e_expect_eq "$2: ten lines of the table" "over 300 dark pixels down past y 300" "$n to y $bottom"
  for button in "312 448 113 41" "440 448 113 41"; do
    read -r n _ < <(e2e_pixels_in "$1" $button 0 80)
    [ "$n" -gt 30 ] || e2e_expect_eq "$2: caption of the button at $button" "over 30 dark pixels" "$n"
  done
}

# Two games, started a few seconds apart, each on its own display and holding
# its focus while the pointer is parked.
display_a=$DISPLAY
e2e_start "$work/a" "$program"
wid_a=$(e2e_wait_window "Swoopy!" 60 "$E2E_PID") || e2e_fail "the first game window did not appear"
start_game "$wid_a" "Tim"
e2e_new_display || e2e_fail "no second display"
display_b=$DISPLAY
e2e_spawn "$work/b" "$program" >"$work/b.out" 2>"$work/b.err"
B_PID=$!
wid_b=$(e2e_wait_window "Swoopy!" 60 "$B_PID") || e2e_fail "the second game window did not appear"
start_game "$wid_b" "Ula"

# A: 61 points by time take the tenth place; the file comes back in CR LF.
on a
end_screen "$wid_a" "$work/end-a.png"
expect_end_texts "$work/end-a.png" "first game"
expected=$(entries $'\r\n' "${table_a[@]:0:18}" 61 Tim | od -c)
e2e_expect_eq "first game's rewritten high-score file" "$expected" "$(od -c <"$work/a/scores.txt")"
e2e_expect_eq "files beside the high scores" "" "$(cd "$work/a" && ls -A | grep -v -e '\.wav$' -e '^intro\.txt$' -e '^scores\.txt$' -e '^replays$')"
# The game left a record of itself, which checks to the score the table took.
record=$(cd "$work/a" && ls replays/*.swoopyrec)
e2e_expect_eq "first game's record checked" "$record: 61 points, Tim" "$(cd "$work/a" && "$program" --verify "$record" 2>&1)"

# B: a tie with the tenth entry leaves the table as it was.
on b
end_screen "$wid_b" "$work/end-b.png"
expect_end_texts "$work/end-b.png" "second game"
e2e_expect_eq "second game's high-score file after a tie" "unchanged" \
  "$(cmp -s "$work/b.before" "$work/b/scores.txt" && echo unchanged || echo changed)"

# "Exit!" ends A with exit code 0.
on a
e2e_click "$wid_a" 496 468
e2e_wait_exit 60
e2e_expect_eq "exit code after Exit!" 0 "$?"

# "Try again!" shows a new copy's start screen and ends B with exit code 0.
on b
e2e_click "$wid_b" 368 468
read -r new_pid NEW_WID < <(wait_new_copy "$B_PID") || e2e_fail "no new game window after Try again!"
got=$(e2e_wait_pixel "$NEW_WID" 850 480 "#FFFFFF" 60) || e2e_expect_eq "new copy's start screen" "#FFFFFF" "$got"
e2e_screenshot "$NEW_WID" "$work/new.png"
read -r n _ < <(e2e_pixels_in "$work/new.png" 740 164 92 26 0 100)
[ "$n" -lt 30 ] || e2e_expect_eq "new copy's Start button" "disabled (pale caption)" "$n dark pixels"
end=$((SECONDS + 60))
while kill -0 "$B_PID" 2>/dev/null && [ $SECONDS -lt $end ]; do sleep 0.1; done
wait "$B_PID"
e2e_expect_eq "exit code after Try again!" 0 "$?"
B_PID=""
e2e_expect_eq "windows of the ended copies" "$NEW_WID" "$(swoopy_windows)"

# The new copy closes like any other.
e2e_close "$NEW_WID"
end=$((SECONDS + 60))
while [ -n "$(swoopy_windows)" ] && [ $SECONDS -lt $end ]; do sleep 0.1; done
e2e_expect_eq "windows after closing the new copy" "" "$(swoopy_windows)"
# Ended, not merely windowless (a zombie, unreaped by whoever adopted it, has
# no environment left and so counts as ended).
end=$((SECONDS + 60))
while [ -n "$(e2e_marked_pids)" ] && [ $SECONDS -lt $end ]; do sleep 0.1; done
e2e_expect_eq "games running after closing the new copy" "" "$(e2e_marked_pids)"

e2e_finish
