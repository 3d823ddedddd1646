#!/usr/bin/env bash
# Every game recorded: two games played with real input, one at scale 1 and
# one at scale 2, each leave a record in replays/ that `--verify` checks to the
# score the end screen's table shows; a changed record is refused; `--replay`
# shows the first place's game moving and ending on the same end screen, and
# leaves the high-score file alone.
#   test_replay.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

# The window at scale 2 reaches x 2602 and y 1438 on the screen.
E2E_MIN_SIZE="2700 1500" e2e_begin "$@"

SWEEP=""
stop_sweep() {
  [ -n "$SWEEP" ] || return 0
  touch "$work/stop"
  wait "$SWEEP"
  rm -f "$work/stop"
  SWEEP=""
}
# Before the library's own clean-up, which sees the test's status as it was.
trap 'status=$?; stop_sweep; (exit $status); e2e_cleanup' EXIT

# A table of ten empty places: any score takes the first.
empty_table() {
  for _ in $(seq 1 10); do printf '0\r\n'; done >"$1/scores.txt"
}

# sweep WID SCALE: the pointer goes to and fro over the playfield, and now and
# then clicks each shop offer, until $work/stop appears.
sweep() {
  local wid=$1 s=$2 x y i=0
  while [ ! -e "$work/stop" ]; do
    i=$((i + 1))
    x=$(((i * 37) % 860 + 10))
    y=$(((i * 53) % 420 + 80))
    xdotool mousemove --window "$wid" $((x * s)) $((y * s)) 2>/dev/null
    if [ $((i % 40)) -eq 0 ]; then
      for offer in 166 254 334 414; do
        xdotool mousemove --window "$wid" $((1000 * s)) $((offer * s)) click 1 2>/dev/null
      done
    fi
    sleep 0.02
  done
}

# end_screen WID SCALE SHOT [SECONDS]: waits for the end screen, its white cover
# over the playfield: white where tiles have their black outlines in play
# (touched tiles turn white, their outlines stay); the screen left in SHOT.
end_screen() {
  local wid=$1 s=$2 shot=$3 end=$((SECONDS + ${4:-90})) p white
  while [ $SECONDS -lt $end ]; do
    e2e_screenshot "$wid" "$shot"
    white=0
    for p in "850 480" "65 450" "780 65" "455 260"; do
      set -- $p
      [ "$(e2e_pixel "$shot" $(($1 * s)) $(($2 * s)))" = "#FFFFFF" ] && white=$((white + 1))
    done
    [ "$white" -eq 4 ] && return 0
    sleep 0.3
  done
  return 1
}

# play FOLDER SCALE NAME: a whole game at SCALE in FOLDER, to its end screen;
# leaves the end screen in FOLDER.end.png and the window open as $wid.
play() {
  local folder=$1 s=$2 name=$3 got
  e2e_game_files "$folder"
  empty_table "$folder"
  e2e_start "$folder" "$program" --scale "$s"
  wid=$(e2e_wait_window "Swoopy!" 10) || e2e_fail "the game window at scale $s did not appear"
  got=$(e2e_wait_pixel "$wid" $((850 * s)) $((480 * s)) "#FFFFFF" 10) || e2e_fail "no start screen at scale $s: $got"
  e2e_click "$wid" $((780 * s)) $((140 * s))
  e2e_key "$wid" ctrl+a
  e2e_type "$wid" "$name"
  e2e_click "$wid" $((785 * s)) $((176 * s))
  got=$(e2e_wait_pixel_change "$wid" $((450 * s)) $((300 * s)) "#FFFFFF" 10) || e2e_fail "$name's game did not start"
  sweep "$wid" "$s" &
  SWEEP=$!
  end_screen "$wid" "$s" "$folder.end.png" || e2e_fail "$name's game did not end"
  stop_sweep
  sleep 0.5
  e2e_screenshot "$wid" "$folder.end.png"
}

# table_score FOLDER NAME: the score the end screen's table gives NAME.
table_score() {
  tr -d '\r' <"$1/scores.txt" | awk -v n="$2" '$2 == n { print $1; exit }'
}

# 1. A game at scale 1: its record checks to the table's score.
play "$work/one" 1 Ada
score_one=$(table_score "$work/one" Ada)
[ -n "$score_one" ] || e2e_fail "Ada is not in the table: $(cat "$work/one/scores.txt")"
record_one=$(cd "$work/one" && ls replays/*.swoopyrec)
e2e_expect_eq "records after Ada's game" 1 "$(wc -w <<<"$record_one")"
e2e_close "$wid"
e2e_wait_exit 10
e2e_expect_eq "exit code of Ada's game" 0 "$?"
out=$(cd "$work/one" && "$program" --verify "$record_one" 2>"$work/verify.err")
e2e_expect_eq "verify exit code of Ada's record" 0 "$?"
e2e_expect_eq "verify line of Ada's record" "$record_one: $score_one points, Ada" "$out"

# 2. A game at scale 2 verifies alike, and both verify in one run.
play "$work/two" 2 Bea
score_two=$(table_score "$work/two" Bea)
record_two=$(ls "$work"/two/replays/*.swoopyrec)
e2e_close "$wid"
e2e_wait_exit 10
out=$(cd "$work/one" && "$program" --verify "$record_one" "$record_two")
e2e_expect_eq "verify exit code of both records" 0 "$?"
e2e_expect_eq "verify lines of both records" \
  "$record_one: $score_one points, Ada"$'\n'"$record_two: $score_two points, Bea" "$out"

# 3. A record with one byte changed is refused: exit 1, one line naming it.
cp "$work/one/$record_one" "$work/changed.swoopyrec"
size=$(stat -c %s "$work/changed.swoopyrec")
printf '\x55' | dd of="$work/changed.swoopyrec" bs=1 seek=$((size / 2)) conv=notrunc status=none
"$program" --verify "$work/changed.swoopyrec" >"$work/changed.out" 2>"$work/changed.err"
e2e_expect_eq "verify exit code of a changed record" 1 "$?"
e2e_expect_eq "lines on stdout and stderr for a changed record" "0 1" \
  "$(wc -l <"$work/changed.out") $(wc -l <"$work/changed.err")"
grep -q "changed.swoopyrec: " "$work/changed.err" || e2e_fail "the refusal does not name the file: $(cat "$work/changed.err")"

# 4. --replay without a file plays the first place's record: the game moves,
#    and ends on the same end screen; the high-score file stays as it was.
cp "$work/one/scores.txt" "$work/scores.before"
e2e_start "$work/one" "$program" --replay
wid=$(e2e_wait_window "Swoopy!" 10) || e2e_fail "the replay's window did not appear"
got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 10) || e2e_fail "the replay did not start its game"
moving=""
for _ in $(seq 1 10); do
  e2e_screenshot "$wid" "$work/replay1.png"
  sleep 0.3
  e2e_screenshot "$wid" "$work/replay2.png"
  [ "$(e2e_count_changed "$work/replay1.png" "$work/replay2.png" 0 80 880 420)" -gt 100 ] && moving=yes && break
done
e2e_expect_eq "the replayed game moving" yes "${moving:-no}"
# The viewer's pointer sweeping over the playfield plays no part in it.
for x in 100 300 500 700; do xdotool mousemove --window "$wid" "$x" 300; sleep 0.05; done
end_screen "$wid" 1 "$work/replay-end.png" || e2e_fail "the replay did not reach its end screen"
sleep 0.5
e2e_screenshot "$wid" "$work/replay-end.png"
# The final score's line and the table, pixel for pixel as the game left them.
e2e_expect_eq "changed pixels of the final score and table against the game's end" 0 \
  "$(e2e_count_changed "$work/one.end.png" "$work/replay-end.png" 264 144 377 280)"
e2e_close "$wid"
e2e_wait_exit 10
e2e_expect_eq "exit code after closing the replay" 0 "$?"
e2e_expect_eq "high-score file after the replay" unchanged \
  "$(cmp -s "$work/scores.before" "$work/one/scores.txt" && echo unchanged || echo changed)"
e2e_expect_eq "records after the replay" 1 "$(ls "$work"/one/replays | wc -l)"

e2e_finish
