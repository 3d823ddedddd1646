#!/usr/bin/env bash
# Every game recorded: three games played with real input, at scale 1, at
# scale 2 and full screen, each leave a record in replays/ that `--verify`
# checks to the score the end screen's table shows; a changed record is
# refused; `--replay` shows the first place's game moving, standing while Space
# holds it, going faster after Right, and ending on the same end screen, and
# leaves the high-score file alone. The game at scale 1 is played as a player
# plays (player.py): black squares and the circle touched, "Time 30 $" bought,
# a bonus round bought and played, and a red square touched to end it.
#   test_replay.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

# A server of our own, so that the screen's size and the places on it are
# known (the window at scale 2 reaches x 2602 and y 1438), with a window
# manager: full screen is the window manager's to grant.
unset DISPLAY
E2E_MIN_SIZE="2800 1600" e2e_begin "$@"
e2e_window_manager
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
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2]; exit }')
e2e_expect_eq "screen size" "2800 1600" "$screen_w $screen_h" || e2e_fail "the places below are for a 2800 x 1600 screen"

# Where a layout pixel is in the window: x * NUM / DEN rounded up, TOP more
# down. Full screen at 2800/1109 leaves 33 black rows above the game.
NUM=1 DEN=1 TOP=0
map_scale() { NUM=$1 DEN=1 TOP=0; }
map_fullscreen() { NUM=2800 DEN=1109 TOP=33; }
dx() { echo $((($1 * NUM + DEN - 1) / DEN)); }
dy() { echo $((TOP + ($1 * NUM + DEN - 1) / DEN)); }

# A table of ten empty places: any score takes the first.
empty_table() {
  for _ in $(seq 1 10); do printf '0\r\n'; done >"$1/scores.txt"
}

# sweep WID: the pointer goes to and fro over the playfield, and now and then
# clicks each shop offer, until $work/stop appears.
sweep() {
  local wid=$1 x y i=0 offer
  while [ ! -e "$work/stop" ]; do
    i=$((i + 1))
    x=$(((i * 37) % 860 + 10))
    y=$(((i * 53) % 420 + 80))
    xdotool mousemove --window "$wid" "$(dx $x)" "$(dy $y)" 2>/dev/null
    if [ $((i % 40)) -eq 0 ]; then
      for offer in 166 254 334 414; do
        xdotool mousemove --window "$wid" "$(dx 1000)" "$(dy $offer)" click 1 2>/dev/null
      done
    fi
    sleep 0.02
  done
}

# end_screen WID SHOT: waits for the end screen, its white cover over the
# playfield: white where tiles have their black outlines in play (touched
# tiles turn white, their outlines stay); the screen is left in SHOT.
end_screen() {
  local wid=$1 shot=$2 end=$((SECONDS + 90)) p white
  while [ $SECONDS -lt $end ]; do
    e2e_screenshot "$wid" "$shot"
    white=0
    for p in "850 480" "65 450" "780 65" "455 260"; do
      set -- $p
      [ "$(e2e_pixel "$shot" "$(dx "$1")" "$(dy "$2")")" = "#FFFFFF" ] && white=$((white + 1))
    done
    [ "$white" -eq 4 ] && return 0
    sleep 0.3
  done
  return 1
}

# settled WID SHOT: waits until the end screen's score and table are drawn
# whole (two screenshots in a row alike there) and leaves the latter in SHOT.
settled() {
  local end=$((SECONDS + 60))
  e2e_screenshot "$1" "$work/settling.png"
  while [ $SECONDS -lt $end ]; do
    sleep 0.3
    e2e_screenshot "$1" "$2"
    [ "$(e2e_count_changed "$work/settling.png" "$2" "$(dx 264)" "$(dy 144)" "$(dx 377)" "$(dx 280)")" = 0 ] && return 0
    cp "$2" "$work/settling.png"
  done
  e2e_fail "the end screen did not settle within 60 s"
}

# begin FOLDER NAME OPTION...: a game started with the options in FOLDER, the
# name typed and Start pressed, at the places map_* set; the window is $wid.
begin() {
  local folder=$1 name=$2 got
  shift 2
  e2e_game_files "$folder"
  empty_table "$folder"
  e2e_start "$folder" "$program" "$@"
  wid=$(e2e_wait_window "Swoopy!" 60 "$E2E_PID") || e2e_fail "the game window with $* did not appear"
  got=$(e2e_wait_pixel "$wid" "$(dx 850)" "$(dy 480)" "#FFFFFF" 60) || e2e_fail "no start screen with $*: $got"
  e2e_click_field "$wid" "$(dx 780)" "$(dy 140)" || e2e_fail "the name field did not take the click"
  e2e_key "$wid" ctrl+a
  e2e_type "$wid" "$name"
  e2e_click "$wid" "$(dx 785)" "$(dy 176)"
  got=$(e2e_wait_pixel_change "$wid" "$(dx 450)" "$(dy 300)" "#FFFFFF" 60) || e2e_fail "$name's game did not start"
}

# play FOLDER NAME OPTION...: a whole game, the pointer sweeping, to its end
# screen; leaves the end screen in FOLDER.end.png and the window open as $wid.
play() {
  begin "$@"
  sweep "$wid" &
  SWEEP=$!
  end_screen "$wid" "$1.end.png" || e2e_fail "$2's game did not end"
  stop_sweep
  settled "$wid" "$1.end.png"
}

# table_score FOLDER NAME: the score the end screen's table gives NAME.
table_score() {
  tr -d '\r' <"$1/scores.txt" | awk -v n="$2" '$2 == n { print $1; exit }'
}

# 1. A game at scale 1 played to the end by player.py: each thing the player
#    saw happen is a line of its log; the game ends at a red square.
map_scale 1
begin "$work/one" Ada --scale 1
played_from=$SECONDS
python3 "$E2E_LIB/player.py" "$wid" 400 >"$work/player.log" 2>&1 ||
  e2e_fail "the player did not reach the end screen: $(tail -n 5 "$work/player.log")"
played_for=$((SECONDS - played_from))
settled "$wid" "$work/one.end.png"
for what in "touched black" "touched circle" "the time offer is gone after the purchase" \
  "bonus round: the cover is up" "clicked bonus picture 1" "bonus round over" "touched red"; do
  grep -q "$what" "$work/player.log" || e2e_fail "not in the player's log: $what ($(grep -v touched "$work/player.log" | tr '\n' ';'))"
done
# A click took a picture in the round: the first went while the cover stayed,
# or all five did and the round was won.
grep -qE "bonus picture 1 gone, the round going on|bonus won" "$work/player.log" ||
  e2e_fail "no picture of the bonus round taken by a click ($(grep bonus "$work/player.log" | tr '\n' ';'))"
read -r n _ < <(e2e_pixels_in "$work/one.end.png" 328 64 237 29 0 80)
[ "$n" -gt 100 ] || e2e_expect_eq "\"You hit a red square!\" on the end screen" "over 100 dark pixels" "$n"
read -r n _ < <(e2e_pixels_in "$work/one.end.png" 328 96 230 29 0 80)
e2e_expect_eq "dark pixels of \"You ran out of time!\" on the end screen" 0 "$n"
score_one=$(table_score "$work/one" Ada)
[ -n "$score_one" ] || e2e_fail "Ada is not in the table: $(cat "$work/one/scores.txt")"
record_one=$(cd "$work/one" && ls replays/*.swoopyrec)
e2e_expect_eq "records after Ada's game" 1 "$(wc -w <<<"$record_one")"
e2e_close "$wid"
e2e_wait_exit 60
e2e_expect_eq "exit code of Ada's game" 0 "$?"
out=$(cd "$work/one" && "$program" --verify "$record_one" 2>"$work/verify.err")
e2e_expect_eq "verify exit code of Ada's record" 0 "$?"
e2e_expect_eq "verify line of Ada's record" "$record_one: $score_one points, Ada" "$out"

# 2. Games at scale 2 and full screen verify alike, all three in one run.
map_scale 2
play "$work/two" Bea --scale 2
score_two=$(table_score "$work/two" Bea)
record_two=$(ls "$work"/two/replays/*.swoopyrec)
e2e_close "$wid"
e2e_wait_exit 60
map_fullscreen
play "$work/three" Cid --fullscreen
score_three=$(table_score "$work/three" Cid)
record_three=$(ls "$work"/three/replays/*.swoopyrec)
e2e_close "$wid"
e2e_wait_exit 60
map_scale 1
out=$(cd "$work/one" && "$program" --verify "$record_one" "$record_two" "$record_three")
e2e_expect_eq "verify exit code of the three records" 0 "$?"
e2e_expect_eq "verify lines of the three records" "$record_one: $score_one points, Ada
$record_two: $score_two points, Bea
$record_three: $score_three points, Cid" "$out"

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
wid=$(e2e_wait_window "Swoopy!" 60 "$E2E_PID") || e2e_fail "the replay's window did not appear"
got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 60) || e2e_fail "the replay did not start its game"
moving=""
end=$((SECONDS + 60))
while [ $SECONDS -lt $end ]; do
  e2e_screenshot "$wid" "$work/replay1.png"
  sleep 0.3
  e2e_screenshot "$wid" "$work/replay2.png"
  [ "$(e2e_count_changed "$work/replay1.png" "$work/replay2.png" 0 80 880 420)" -gt 100 ] && moving=yes && break
done
e2e_expect_eq "the replayed game moving" yes "${moving:-no}"
# The viewer's pointer sweeping over the playfield plays no part in it.
for x in 100 300 500 700; do xdotool mousemove --window "$wid" "$x" 300; sleep 0.05; done
# Space holds the replay: the field and the clock stand, once the frame drawn
# before the key has come, until Space lets it go on.
e2e_key "$wid" space
stood=""
end=$((SECONDS + 60))
e2e_screenshot "$wid" "$work/held1.png"
while [ $SECONDS -lt $end ]; do
  sleep 1
  e2e_screenshot "$wid" "$work/held2.png"
  if [ "$(e2e_count_changed "$work/held1.png" "$work/held2.png" 0 0 885 607)" = 0 ]; then
    stood=yes
    break
  fi
  cp "$work/held2.png" "$work/held1.png"
done
e2e_expect_eq "the held replay standing for a second" yes "${stood:-no}"
sleep 2
e2e_screenshot "$wid" "$work/held3.png"
e2e_expect_eq "changed pixels two seconds later, still held" 0 \
  "$(e2e_count_changed "$work/held1.png" "$work/held3.png" 0 0 885 607)"
e2e_key "$wid" space
got=$(e2e_wait_region_change "$wid" "$work/held3.png" "$work/going.png" 0 0 885 607) ||
  e2e_fail "the replay did not go on after Space"
# Right four times: sixteen times the recorded pace. What is left of the game
# then takes far less than the whole game took to play.
e2e_key "$wid" Right Right Right Right
fast_from=$SECONDS
end_screen "$wid" "$work/replay-end.png" || e2e_fail "the replay did not reach its end screen"
fast_for=$((SECONDS - fast_from))
e2e_expect_eq "the rest of the replay at sixteen times in under half the ${played_for} s played" yes \
  "$([ $((fast_for * 2)) -lt "$played_for" ] && echo yes || echo "no, ${fast_for} s")"
settled "$wid" "$work/replay-end.png"
# The final score's line and the table, pixel for pixel as the game left them.
e2e_expect_eq "changed pixels of the final score and table against the game's end" 0 \
  "$(e2e_count_changed "$work/one.end.png" "$work/replay-end.png" 264 144 377 280)"
e2e_close "$wid"
e2e_wait_exit 60
e2e_expect_eq "exit code after closing the replay" 0 "$?"
e2e_expect_eq "high-score file after the replay" unchanged \
  "$(cmp -s "$work/scores.before" "$work/one/scores.txt" && echo unchanged || echo changed)"
e2e_expect_eq "records after the replay" 1 "$(ls "$work"/one/replays | wc -l)"

e2e_finish
