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
# 25 pixels or more, crosses one of them); prints "ROW LEFT RIGHT", the run's
# ends, or "- - -".
black_run() {
  convert "$1" -alpha off -crop 885x607+0+0 +repage -depth 8 rgb:- | python3 -c '
import sys
width, data = 885, sys.stdin.buffer.read()
rows = [int(sys.argv[1])] if len(sys.argv) > 1 else [65 * t + d for t in range(1, 8) for d in (10, 30, 50) if 65 * t + d < 506]
for y in rows:
    run = 0
    for x in range(width + 1):
        p = (y * width + x) * 3
        if x < width and max(data[p:p + 3]) <= 40:
            run += 1
        elif run >= 15:
            print(y, x - run, x - 1)
            sys.exit()
        else:
            run = 0
print("- - -")
' ${2:-}
}

# wait_time_change SHOT NEW: takes screenshots into NEW until its time text
# differs from SHOT's; fails the test after 20 s.
wait_time_change() {
  local end=$((SECONDS + 20)) changed
  while :; do
    e2e_screenshot "$wid" "$2"
    changed=$(e2e_count_changed "$1" "$2" "${time_label[@]}")
    [ "$changed" -gt 10 ] && return 0
    [ $SECONDS -lt $end ] || e2e_fail "the time text did not change from $(basename "$1") in 20 s ($changed changed pixels)"
    sleep 0.1
  done
}

e2e_start_screen "$run"
e2e_click_field "$wid" 780 140 || e2e_fail "the name field did not take the click"
e2e_type "$wid" "Ann"
e2e_click "$wid" 785 176
got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 60) || e2e_fail "the game did not start: pixel 450,300 is $got"
# 1. Done first, while the only mover is the black square that waited under the
#    shop panel: a pointer that moves while red squares roam (from second 8) may
#    meet one, and with no lives that ends the game. The button pressed at x 150
#    on the row of a black square that still has that far to go, and held while
#    the pointer keeps moving by a pixel there: the square is touched as it comes under the pointer, and the moves that go
#    on after it has been put back pay nothing more, so the money text changes
#    and keeps one digit (looked at in 2, once the game has surely taken every
#    move). Should the square pass untouched or leave the row, the held pointer
#    goes to the row it comes back on.
aim=150
# ahead SHOT: the row of a black square whose left end lies right of the
# pointer's x, or "-".
ahead() {
  local r l
  read -r r l _ < <(black_run "$1")
  if [ "$r" != - ] && [ "$l" -gt $((aim + 5)) ]; then echo "$r"; else echo -; fi
}
end=$((SECONDS + 60))
while :; do
  e2e_screenshot "$wid" "$work/ahead.png"
  row=$(ahead "$work/ahead.png")
  [ "$row" != - ] && break
  [ $SECONDS -lt $end ] || e2e_fail "no black square right of x $aim to wait for in 60 s"
done
e2e_screenshot "$wid" "$work/money0.png"
read -r _ _ _ right0 _ < <(e2e_pixels_in "$work/money0.png" "${money_label[@]}" 0 80)
echo "$row" >"$work/row"
e2e_press "$wid" "$aim" "$row"
e2e_spawn "$work" python3 "$E2E_LIB/wiggle.py" "$wid" "$aim" "$work/row" >"$work/moves"
wiggle=$!
touched=""
rows="$row"
end=$((SECONDS + 60))
while [ $SECONDS -lt $end ]; do
  e2e_screenshot "$wid" "$work/money1.png"
  if [ "$(e2e_count_changed "$work/money0.png" "$work/money1.png" "${money_label[@]}")" -gt 0 ]; then
    touched=yes
    break
  fi
  read -r _ _ right < <(black_run "$work/money1.png" "$row")
  if [ "$right" = - ] || [ "$right" -lt "$aim" ]; then
    next=$(ahead "$work/money1.png")
    if [ "$next" != - ] && [ "$next" != "$row" ]; then
      row=$next
      rows="$rows $row"
      echo "$row" >"$work/row.new" && mv "$work/row.new" "$work/row"
    fi
  fi
done
if [ -n "$touched" ]; then
  # Dozens more moves with the button down.
  moves=$(wc -l <"$work/moves")
  end=$((SECONDS + 60))
  until [ "$(wc -l <"$work/moves")" -ge $((moves + 50)) ] || [ $SECONDS -ge $end ]; do sleep 0.1; done
fi
kill "$wiggle"
wait "$wiggle"
e2e_release "$wid" "$aim" "$row"
# Onto the bottom bar, above every mover: the moves to come touch nothing.
e2e_move "$wid" "$aim" 570
e2e_expect_eq "black square touched under the held, moving pointer (rows: $rows)" yes "${touched:-no}"

# 2. The money text is one digit wide still. The game takes input before it
#    runs a timer, and the time text of after2 came from a tick that ran after
#    after1 was taken, after the release: the money shown with it counts every move.
e2e_screenshot "$wid" "$work/after0.png"
wait_time_change "$work/after0.png" "$work/after1.png"
wait_time_change "$work/after1.png" "$work/after2.png"
read -r _ _ _ right2 _ < <(e2e_pixels_in "$work/after2.png" "${money_label[@]}" 0 80)
e2e_expect_eq "money text still one digit wide (right edge before $right0)" yes \
  "$([ "$right2" != - ] && [ $((right2 - right0)) -lt 10 ] && [ $((right0 - right2)) -lt 10 ] && echo yes || echo "no, $right2")"

# 3. The time text changes from each second to the next, while the word "Time:"
#    stays. The score and lives texts are there too.
n=0
end=$((SECONDS + 20))
while [ "$n" -lt 50 ] && [ $SECONDS -lt $end ]; do
  e2e_screenshot "$wid" "$work/time1.png"
  read -r n _ < <(e2e_pixels_in "$work/time1.png" "${time_label[@]}" 0 80)
  sleep 0.1
done
[ "$n" -ge 50 ] || e2e_fail "no time text in the bottom bar"
wait_time_change "$work/time1.png" "$work/time2.png"
wait_time_change "$work/time2.png" "$work/time3.png"
for pair in "time1 time2" "time2 time3"; do
  read -r a b <<<"$pair"
  e2e_expect_eq "the word Time: unchanged from $a to $b" 0 \
    "$(e2e_count_changed "$work/$a.png" "$work/$b.png" "${time_word[@]}")"
done
read -r n _ < <(e2e_pixels_in "$work/time3.png" "${score_label[@]}" 0 80)
[ "$n" -gt 100 ] || e2e_expect_eq "score text in the bottom bar" "over 100 dark pixels" "$n"
read -r n _ < <(e2e_pixels_in "$work/time3.png" "${lives_label[@]}" 0 80)
[ "$n" -gt 100 ] || e2e_expect_eq "lives text in the top bar" "over 100 dark pixels" "$n"

# 4. The black square comes out from under the shop panel and moves left: once
#    found on a row, later screenshots find it there 20 pixels or more further
#    left. Should it leave the playfield first (it comes back on another row),
#    it is looked for again.
moved=""
seen=""
end=$((SECONDS + 60))
while [ -z "$moved" ] && [ $SECONDS -lt $end ]; do
  e2e_screenshot "$wid" "$work/move1.png"
  read -r row first _ < <(black_run "$work/move1.png")
  [ "$row" = - ] && continue
  while [ $SECONDS -lt $end ]; do
    e2e_screenshot "$wid" "$work/move2.png"
    read -r _ second _ < <(black_run "$work/move2.png" "$row")
    [ "$second" = - ] && break
    [ "$second" -gt "$first" ] && first=$second   # back in from the right
    seen=" $first>$second@$row"
    if [ "$second" -le $((first - 20)) ]; then
      moved=yes
      break
    fi
  done
done
e2e_expect_eq "black square moving left (left ends seen last:$seen)" yes "${moved:-no}"

e2e_close "$wid" || e2e_fail "could not send the close request"
e2e_wait_exit 60
e2e_expect_eq "exit code after the close box" 0 "$?"
e2e_finish
