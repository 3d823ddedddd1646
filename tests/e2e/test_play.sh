#!/usr/bin/env bash
# Play under way: after Start the black square that waited under the shop panel
# glides left across the playfield, the time text appears in the bottom bar and
# changes from one second to the next, and the score and lives texts show.
#   test_play.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

program=$(realpath "${1:?usage: test_play.sh PROGRAM ASSETS}")
assets=${2:?usage: test_play.sh PROGRAM ASSETS}
e2e_ensure_display || e2e_fail "no X display"
work=$(e2e_workdir)
run="$work/run"
mkdir -p "$run"
cp "$assets"/*.wav "$assets/intro.txt" "$assets/scores.txt" "$run/" || e2e_fail "cannot copy the game's files from $assets"

# Regions: the time text, its "Time:" part, the score text, the lives text.
time_label=(520 536 177 40)
time_word=(520 536 70 40)
score_label=(64 536 385 49)
lives_label=(336 24 225 33)
# The square's lane: it starts with its top at y 400 and is 65 pixels high.
# Row 432 crosses it and no tile outline.
lane_y=432

# square_left SHOT: the left end of the first run of at least 40 black pixels
# on the lane's row of the playfield, or "-" when there is none. Tile outlines
# are runs of one or two pixels.
square_left() {
  convert "$1" -alpha off -crop "885x1+0+$lane_y" +repage -depth 8 txt:- |
    awk '/^[0-9]+,[0-9]+: *\(/ {
           split($1, p, /[,:]/)
           c = $2; gsub(/[()]/, "", c); split(c, v, ",")
           if (v[1] <= 40 && v[2] <= 40 && v[3] <= 40) { if (run == 0) start = p[1]; run++ }
           else run = 0
           if (run >= 40 && !found) { found = 1; print start }
         }
         END { if (!found) print "-" }'
}

e2e_start "$run" "$program"
wid=$(e2e_wait_window "Swoopy!" 10) || e2e_fail "the game window did not appear"
got=$(e2e_wait_pixel "$wid" 850 480 "#FFFFFF" 10) || e2e_fail "no start screen: pixel 850,480 is $got"
e2e_click "$wid" 780 140
e2e_type "$wid" "Ann"
e2e_click "$wid" 785 176
got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 10) || e2e_fail "the game did not start: pixel 450,300 is $got"

# 1. The square comes out from under the shop panel and moves left.
first=-
end=$((SECONDS + 5))
while [ "$first" = - ] && [ $SECONDS -lt $end ]; do
  e2e_screenshot "$wid" "$work/move1.png"
  first=$(square_left "$work/move1.png")
done
[ "$first" != - ] || e2e_fail "no black square came into the playfield on row $lane_y"
# At least 0.2 s later it lies 50 pixels or more further left (4 to 7 pixels a
# tick, 64 ticks a second); it takes over two seconds to cross the playfield.
sleep 0.2
e2e_screenshot "$wid" "$work/move2.png"
second=$(square_left "$work/move2.png")
e2e_expect_eq "square moved left by 50 pixels or more" "yes" \
  "$(awk -v a="$first" -v b="$second" 'BEGIN { print (b != "-" && a - b >= 50) ? "yes" : "no, from " a " to " b }')"

# 2. The time text appears after the first second and changes every second,
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

# 3. The score and lives texts are there.
read -r n _ < <(e2e_pixels_in "$work/time3.png" "${score_label[@]}" 0 80)
[ "$n" -gt 100 ] || e2e_expect_eq "score text in the bottom bar" "over 100 dark pixels" "$n"
read -r n _ < <(e2e_pixels_in "$work/time3.png" "${lives_label[@]}" 0 80)
[ "$n" -gt 100 ] || e2e_expect_eq "lives text in the top bar" "over 100 dark pixels" "$n"

e2e_close "$wid" || e2e_fail "could not send the close request"
e2e_wait_exit 10
e2e_expect_eq "exit code after the close box" 0 "$?"
e2e_finish
