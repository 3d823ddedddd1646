#!/usr/bin/env bash
# Missing or broken files at start. A sound file that cannot be opened (missing,
# not a sound, cut short, claiming more than it holds, empty, or in an unknown
# format) stops the program before its window is shown: one error box, then
# exit code 1.
# A missing introduction is reported in a box, and the game still comes up,
# with an empty introduction and no tiles behind the playfield. With no display
# at all the reason goes to stderr and the program ends with exit code 1.
#   test_startup_errors.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_begin "$@"

# fresh_folder NAME: a working folder holding all of the game's files.
fresh_folder() {
  local folder="$work/$1"
  e2e_game_files "$folder"
  echo "$folder"
}

# watch_window TITLE FILE: in the background while the program runs, writes
# "shown" into FILE if a window titled TITLE is ever shown.
watch_window() {
  local pattern="^$1\$" pid=$E2E_PID
  : >"$2"
  (
    while kill -0 "$pid" 2>/dev/null; do
      if xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1; then
        echo shown >"$2"
        break
      fi
      sleep 0.02
    done
  ) &
  watcher=$!
}

# expect_text_drawn WHAT SHOT: a box's text is drawn (dark pixels on its face).
expect_text_drawn() {
  local n
  read -r n _ < <(e2e_pixels_in "$2" 0 0 "$(identify -format '%w' "$2")" "$(identify -format '%h' "$2")" 0 64)
  [ "$n" -gt 100 ] || e2e_expect_eq "$1: text drawn" "over 100 dark pixels" "$n"
}

# A sound file that cannot be opened: missing, or not a WAV file at all. The
# channels open in layout order, so the first, a middle and the last are tried.
sound_failure() {
  local what=$1 folder=$2 box
  e2e_start "$folder" "$program"
  watch_window "Swoopy!" "$work/seen"
  box=$(e2e_wait_window "Application Error" 60) || e2e_fail "$what: no startup error box"
  e2e_screenshot "$box" "$work/box.png" || e2e_fail "$what: no screenshot of the error box"
  expect_text_drawn "$what" "$work/box.png"
  e2e_expect_eq "$what: game window while the box is open" "" \
    "$(xdotool search --onlyvisible --name '^Swoopy!$' 2>/dev/null)"
  e2e_key "$box" Return
  e2e_wait_exit 60
  e2e_expect_eq "$what: exit code" 1 "$?"
  wait "$watcher"
  e2e_expect_eq "$what: game window ever shown" "" "$(cat "$work/seen")"
}

folder=$(fresh_folder no-bonus)
rm "$folder/bonus.wav"
sound_failure "bonus.wav missing" "$folder"

folder=$(fresh_folder no-intro-song)
rm "$folder/introsong.wav"
sound_failure "introsong.wav missing" "$folder"

folder=$(fresh_folder broken-alarm)
echo "not a sound" >"$folder/alarm.wav"
sound_failure "alarm.wav not a sound" "$folder"

# Damaged WAV files a player may drop in are refused the same way. The shipped
# files have the plain 44-byte header: format tag at 20, sound's size at 40.
patch_bytes() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

folder=$(fresh_folder cut-header)
head -c 30 "$assets/click.wav" >"$folder/click.wav"
sound_failure "click.wav cut in its header" "$folder"

folder=$(fresh_folder cut-sound)
head -c 100000 "$assets/gamemusic.wav" >"$folder/gamemusic.wav"
sound_failure "gamemusic.wav cut in its sound" "$folder"

folder=$(fresh_folder huge-size)
patch_bytes "$folder/bonusclick.wav" 40 '\xff\xff\xff\x7f'
sound_failure "bonusclick.wav claiming 2 GB of sound" "$folder"

folder=$(fresh_folder no-sound)
head -c 44 "$assets/bonus.wav" >"$folder/bonus.wav"
patch_bytes "$folder/bonus.wav" 4 '\x24\x00\x00\x00'
patch_bytes "$folder/bonus.wav" 40 '\x00\x00\x00\x00'
sound_failure "bonus.wav with no sound in it" "$folder"

folder=$(fresh_folder unknown-format)
patch_bytes "$folder/introsong.wav" 20 '\x55\x00'
sound_failure "introsong.wav in an unknown format" "$folder"

# No intro.txt: the error box, captioned with the program's name, comes before
# the game window.
folder=$(fresh_folder no-intro)
rm "$folder/intro.txt"
e2e_start "$folder" "$program"
box=$(e2e_wait_window "swoopy" 60) || e2e_fail "no error box for the missing introduction"
e2e_screenshot "$box" "$work/intro-box.png" || e2e_fail "no screenshot of the error box"
expect_text_drawn "missing introduction" "$work/intro-box.png"
e2e_expect_eq "game window while the box is open" "" "$(xdotool search --onlyvisible --name '^Swoopy!$' 2>/dev/null)"
e2e_key "$box" Return
wid=$(e2e_wait_window "Swoopy!" 60) || e2e_fail "no game window after the error box"
got=$(e2e_wait_pixel "$wid" 850 480 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 850,480 is $got"
shot="$work/start.png"
e2e_screenshot "$wid" "$shot"
# The panel is there, white, with no line of text on it.
e2e_expect_eq "text on the introduction panel" "0 - - - -" "$(e2e_pixels_in "$shot" 4 2 700 500 0 128)"
e2e_expect_eq "introduction panel over the top bar" "#FFFFFF" "$(e2e_pixel "$shot" 450 30)"

# The game still starts; with no tiles the window's silver shows beside the end
# picture, which stays at its place on the playfield.
e2e_click_field "$wid" 780 140 || e2e_fail "the name field did not take the click"
e2e_type "$wid" "Al"
e2e_key "$wid" Return
got=$(e2e_wait_pixel_change "$wid" 100 300 "#FFFFFF" 60) ||
  e2e_expect_eq "introduction panel after Start" "gone" "still there (pixel 100,300 is $got)"
e2e_screenshot "$wid" "$shot"
read -r n _ < <(e2e_pixels_in "$shot" 2 80 260 420 184 200)
e2e_expect_eq "silver pixels left of the end picture (no tile outlines)" $((260 * 420)) "$n"
e2e_expect_color_near "end picture's dark band" "#313131" "$(e2e_pixel "$shot" 285 480)" 16
read -r n _ < <(e2e_pixels_in "$shot" 272 410 353 85 224 255)
[ "$n" -gt 100 ] || e2e_expect_eq "white words on the end picture's band" "over 100 white pixels" "$n"

e2e_close "$wid" || e2e_fail "could not send the close request"
e2e_wait_exit 60
e2e_expect_eq "exit code after the close box" 0 "$?"

# With no display there is nowhere to show a box: the reason goes to stderr and
# the game ends at once with exit code 1, its threads ahead stopped on the way.
folder=$(fresh_folder no-display)
(cd "$folder" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$program" 2>"$work/no-display.err")
e2e_expect_eq "exit code with no display" 1 "$?"
grep -q "Cannot open the display" "$work/no-display.err" ||
  e2e_expect_eq "stderr with no display" "Cannot open the display..." "$(cat "$work/no-display.err")"
e2e_finish
