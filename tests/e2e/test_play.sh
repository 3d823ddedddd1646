#!/usr/bin/env bash
# Play under way: after Start the black square that waited under the shop panel
# glides left across the playfield, a button held while the pointer moves
# neither stops it being touched nor makes the touch pay more than once, the
# time text appears in the bottom bar and changes from one second to the next,
# and the score and lives texts show.
#   test_play.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_begin "$@"

# Regions: the time text, its "Time:" part, the score text, the lives text.
time_label=(520 536 177 40)
time_word=(520 536 70 40)
score_label=(64 536 385 49)
lives_label=(336 24 225 33)
money_label=(712 536 173 49)
# black_run SHOT [ROW]: finds a black square in the playfield: the first run of
# at least 15 black pixels on ROW, or without ROW on any of the rows 10, 30 and
# 50 pixels into each row of tiles (no tile outline lies there, and every square,
# 25 pixels or more, crosses one of them); prints "ROW LEFT", or "- -".
black_run() {
  convert "$1" -alpha off -crop 885x607+0+0 +repage -depth 8 rgb:- | python3 -c '
import sys
width, data = 885, sys.stdin.buffer.read()
rows = [int(sys.argv[1])] if len(sys.argv) > 1 else [65 * t + d for t in range(1, 8) for d in (10, 30, 50) if 65 * t + d < 506]
for y in rows:
    run = 0
    for x in range(width):
        p = (y * width + x) * 3
        if max(data[p:p + 3]) <= 40:
            run += 1
            if run == 15:
                print(y, x - 14)
                sys.exit()
        else:
            run = 0
print("- -")
' ${2:-}
}

e2e_start_screen "$run"
e2e_click "$wid" 780 140
e2e_type "$wid" "Ann"
e2e_click "$wid" 785 176
got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 10) || e2e_fail "the game did not start: pixel 450,300 is $got"

# 1. The black square comes out from under the shop panel and moves left: two
#    screenshots a moment apart find it on one row, further left in the second.
#    A pair that straddles its leaving the playfield (it comes back on another
#    row) tells nothing, so a few pairs are taken; one must show the move.
moved=""
seen=""
for _ in $(seq 1 10); do
  e2e_screenshot "$wid" "$work/move1.png"
  read -r row first < <(black_run "$work/move1.png")
  [ "$row" = - ] && continue
  e2e_screenshot "$wid" "$work/move2.png"
  read -r _ second < <(black_run "$work/move2.png" "$row")
  seen="$seen $first>$second@$row"
  if [ "$second" != - ] && [ "$second" -le $((first - 20)) ]; then
    moved=yes
    break
  fi
done
e2e_expect_eq "black square moving left (left ends seen:$seen)" yes "${moved:-no}"

# 2. The button pressed on a tile ahead of the black square, on its row, and
#    held while the pointer keeps moving by a pixel there: the square is touched
#    as it comes under the pointer, and the moves that go on after it has been
#    put back pay nothing more, so the money text changes and keeps one digit.
row=-
for _ in $(seq 1 100); do
  e2e_screenshot "$wid" "$work/ahead.png"
  read -r row first < <(black_run "$work/ahead.png")
  [ "$row" != - ] && [ "$first" -gt 400 ] && break
  row=-
done
[ "$row" != - ] || e2e_fail "no black square right of x 400 to wait for"
e2e_screenshot "$wid" "$work/money0.png"
read -r _ _ _ right0 _ < <(e2e_pixels_in "$work/money0.png" "${money_label[@]}" 0 80)
e2e_press "$wid" 150 "$row"
( x=150; while [ ! -e "$work/stop" ]; do x=$((301 - x)); e2e_move "$wid" "$x" "$row"; sleep 0.01; done ) &
wiggle=$!
touched=""
end=$((SECONDS + 8))
while [ $SECONDS -lt $end ]; do
  e2e_screenshot "$wid" "$work/money1.png"
  if [ "$(e2e_count_changed "$work/money0.png" "$work/money1.png" "${money_label[@]}")" -gt 0 ]; then
    touched=yes
    break
  fi
done
sleep 0.5   # dozens more moves with the button down
touch "$work/stop"
wait "$wiggle"
e2e_release "$wid" 150 "$row"
e2e_expect_eq "black square touched under the held, moving pointer" yes "${touched:-no}"
sleep 0.2
e2e_screenshot "$wid" "$work/money2.png"
read -r _ _ _ right2 _ < <(e2e_pixels_in "$work/money2.png" "${money_label[@]}" 0 80)
e2e_expect_eq "money text still one digit wide (right edge before $right0)" yes \
  "$([ "$right2" != - ] && [ $((right2 - right0)) -lt 10 ] && [ $((right0 - right2)) -lt 10 ] && echo yes || echo "no, $right2")"

# 3. The time text appears after the first second and changes every second,
#    while the word "Time:" stays.
n=0
end=$((SECONDS + 5))
while [ "$n" -lt 50 ] && [ $SECONDS -lt $end ]; do
  e2e_screenshot "$wid" "$work/time1.png"
  read -r n _ < <(e2e_pixels_in "$work/time1.png" "${time_label[@]}" 0 80)
  sleep 0.1
done
[ "$n" -ge 50 ] || e2e_fail "no time text in the bottom bar"
sleep 1.1
e2e_screenshot "$wid" "$work/time2.png"
sleep 1.1
e2e_screenshot "$wid" "$work/time3.png"
for pair in "time1 time2" "time2 time3"; do
  read -r a b <<<"$pair"
  changed=$(e2e_count_changed "$work/$a.png" "$work/$b.png" "${time_label[@]}")
  [ "$changed" -gt 10 ] || e2e_expect_eq "time text changed from $a to $b" "over 10 changed pixels" "$changed"
  e2e_expect_eq "the word Time: unchanged from $a to $b" 0 \
    "$(e2e_count_changed "$work/$a.png" "$work/$b.png" "${time_word[@]}")"
done

# 4. The score and lives texts are there.
read -r n _ < <(e2e_pixels_in "$work/time3.png" "${score_label[@]}" 0 80)
[ "$n" -gt 100 ] || e2e_expect_eq "score text in the bottom bar" "over 100 dark pixels" "$n"
read -r n _ < <(e2e_pixels_in "$work/time3.png" "${lives_label[@]}" 0 80)
[ "$n" -gt 100 ] || e2e_expect_eq "lives text in the top bar" "over 100 dark pixels" "$n"

e2e_close "$wid" || e2e_fail "could not send the close request"
e2e_wait_exit 10
e2e_expect_eq "exit code after the close box" 0 "$?"
e2e_finish
