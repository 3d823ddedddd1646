#!/usr/bin/env bash
# The installed game: cmake --install puts the program, its data, the menu entry,
# the icons and the AppStream file in their places, and both files validate.
# Started with an empty home from a folder without its files, the game comes up
# in the player's own folder, filled from the installed data; a whole game
# played there enters its score into the player's own table, which survives
# later starts and reinstalls, and lost files come back.
# A folder holding the files is played in as it is.
#   test_install.sh PROGRAM ASSETS   (PROGRAM lies in the build folder)
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_begin "$@"
build=$(dirname "$program")
[ -f "$build/cmake_install.cmake" ] || e2e_fail "$build is not a build folder"
files=(intro.txt scores.txt introsong.wav gamemusic.wav click.wav bonusclick.wav bonus.wav alarm.wav)

install_to() {
  cmake --install "$build" --prefix "$1" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; e2e_fail "cmake --install to $1 failed"; }
}

# expect_same_files WHAT FOLDER [FROM]: FOLDER holds exactly the files of FROM
# (by default the shipped ones), byte for byte.
expect_same_files() {
  local name from=${3:-$assets}
  for name in "${files[@]}"; do
    cmp -s "$from/$name" "$2/$name" || e2e_expect_eq "$1: $name" "as in $from" "$(ls -l "$2/$name" 2>&1)"
  done
  e2e_expect_eq "$1: nothing else" "${#files[@]}" "$(find "$2" -mindepth 1 | wc -l)"
}

# open_game FOLDER ENV...: starts the installed game in FOLDER with a clean
# environment plus ENV and sees its start screen with the introduction; the
# window's id is left in wid.
open_game() {
  local folder=$1 got n
  shift
  e2e_start "$folder" env -u XDG_DATA_HOME "$@" "$installed"
  wid=$(e2e_wait_window "Swoopy!" 60) || { cat "$E2E_ERR" >&2; e2e_fail "the game window did not appear"; }
  got=$(e2e_wait_pixel "$wid" 850 480 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 850,480 is $got"
  e2e_screenshot "$wid" "$work/start.png"
  read -r n _ < <(e2e_pixels_in "$work/start.png" 10 10 680 200 0 100)
  [ "$n" -gt 200 ] || e2e_expect_eq "introduction text on the start screen" "over 200 dark pixels" "$n"
  e2e_expect_eq "error box over the start screen" "" "$(xdotool search --onlyvisible --name '^Swoopy$' 2>/dev/null)"
}

# play FOLDER ENV...: opens the game as open_game does and closes it again.
play() {
  open_game "$@"
  e2e_close "$wid" || e2e_fail "could not send the close request"
  e2e_wait_exit 60
  e2e_expect_eq "exit code after the close box" 0 "$?"
}

# play_to_the_end NAME FOLDER ENV...: opens the game, types NAME, presses Start
# with the pointer then parked off the window, waits out the minute until the
# end screen and leaves by "Exit!".
play_to_the_end() {
  local name=$1 got="" end
  shift
  open_game "$@"
  e2e_click_field "$wid" 780 140 || e2e_fail "the name field did not take the click"
  e2e_key "$wid" ctrl+a
  e2e_type "$wid" "$name"
  e2e_click "$wid" 785 176
  got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 60) || e2e_fail "the game did not start"
  xdotool mousemove 1599 999
  end=$((SECONDS + 80))
  while [ $SECONDS -lt $end ]; do
    sleep 1
    got=$(e2e_window_pixel "$wid" 850 480)
    [ "$got" = "#FFFFFF" ] && break
  done
  [ "$got" = "#FFFFFF" ] || e2e_fail "no end screen within 80 s: pixel 850,480 is $got"
  e2e_click "$wid" 496 468
  e2e_wait_exit 60
  e2e_expect_eq "exit code after Exit!" 0 "$?"
}

# 1. Everything in its place, and the menu entry and AppStream file validate.
prefix="$work/prefix"
install_to "$prefix"
installed="$prefix/bin/swoopy"
[ -x "$installed" ] || e2e_fail "no program at $installed"
expect_same_files "installed data" "$prefix/share/games/swoopy"
desktop=$(ls "$prefix"/share/applications/*.desktop 2>/dev/null)
metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null)
[ -f "$desktop" ] && [ -f "$metainfo" ] || e2e_fail "no desktop file or no metainfo file"
id=$(basename "$desktop" .desktop)
desktop-file-validate "$desktop" || e2e_expect_eq "desktop-file-validate" "no complaints" "see above"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
  e2e_expect_eq "appstreamcli validate --no-net" "passed" "$(cat "$work/appstream.log")"
e2e_expect_eq "metainfo file's name" "$id.metainfo.xml" "$(basename "$metainfo")"
e2e_expect_eq "desktop entry's program" "Exec=swoopy" "$(grep '^Exec=' "$desktop")"
e2e_expect_eq "desktop entry's icon" "Icon=$id" "$(grep '^Icon=' "$desktop")"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  e2e_expect_eq "metainfo launchable" "$id.desktop" "missing"
grep -q '<image>https://[^<]*\.png</image>' "$metainfo" || e2e_expect_eq "metainfo screenshot" "an image address" "missing"
for size in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  e2e_expect_eq "icon $size" "${size}x${size}" "$(identify -format '%wx%h' "$icon" 2>&1)"
done
# The 32-pixel icon is the program's own: a yellow star on a clear ground.
icon32="$prefix/share/icons/hicolor/32x32/apps/$id.png"
e2e_expect_eq "icon's corner" "0" "$(convert "$icon32" -format '%[fx:int(255*p{0,0}.a)]' info:)"
e2e_expect_eq "icon's middle" "#FFFF00" "$(e2e_pixel "$icon32" 16 20)"

# 2. An empty home, started from an empty folder: the player's folder is made
#    and filled, and nothing is left in the starting folder.
home="$work/home"
elsewhere="$work/elsewhere"
mine="$home/.local/share/swoopy"
mkdir -p "$home" "$elsewhere"
play "$elsewhere" HOME="$home"
expect_same_files "player's folder after the first start" "$mine"
e2e_expect_eq "files left in the starting folder" "" "$(ls -A "$elsewhere")"

# 3. The player's scores stay; a lost sound and a lost intro come back. A whole
#    game by time, with no touch, enters 61 points under the typed name into
#    the player's own table.
# expect_players_scores WHAT: the player's scores.txt holds what the player wrote.
players_scores="$work/players-scores.txt"
printf '5000      Zed\r\n4000      Ann\r\n61      Ines\r\n' >"$players_scores"
printf '0\r\n%.0s' $(seq 1 7) >>"$players_scores"
expect_players_scores() {
  cmp -s "$players_scores" "$mine/scores.txt" || e2e_expect_eq "$1" "$(od -c "$players_scores")" "$(od -c "$mine/scores.txt")"
}
printf '5000      Zed\r\n4000      Ann\r\n' >"$mine/scores.txt"
rm -f "$mine/click.wav" "$mine/intro.txt"
play_to_the_end "Ines" "$elsewhere" HOME="$home"
expect_players_scores "scores after a whole game"
cmp -s "$assets/click.wav" "$mine/click.wav" || e2e_expect_eq "click.wav" "copied again" "$(ls -l "$mine/click.wav" 2>&1)"
cmp -s "$assets/intro.txt" "$mine/intro.txt" || e2e_expect_eq "intro.txt" "copied again" "$(ls -l "$mine/intro.txt" 2>&1)"
e2e_expect_eq "files left in the starting folder after a game" "" "$(ls -A "$elsewhere")"
play "$elsewhere" HOME="$home"
expect_players_scores "scores after a second start"

# 4. Reinstalls, one of them shipping other scores and one into the player's
#    own ~/.local, whose data folder is not the player's folder.
install_to "$prefix"
printf '1      Newer\r\n' >"$prefix/share/games/swoopy/scores.txt"
play "$elsewhere" HOME="$home"
install_to "$home/.local"
installed="$home/.local/bin/swoopy"
play "$home" HOME="$home"
expect_players_scores "scores after reinstalls"
e2e_expect_eq "files in the player's folder beside its records" "${#files[@]}" \
  "$(find "$mine" -mindepth 1 -not -path "$mine/replays*" | wc -l)"
e2e_expect_eq "records of the whole game played there" 1 "$(find "$mine/replays" -name '*.swoopyrec' | wc -l)"

# 5. A folder holding the files is played in; in the installed data folder the
#    game moves to the player's folder, here under XDG_DATA_HOME.
installed="$prefix/bin/swoopy"
home2="$work/home2"
own="$work/own"
mkdir -p "$home2" "$own"
cp "$assets"/* "$own/"
play "$own" HOME="$home2"
e2e_expect_eq "player's folder when started in a folder with the files" "absent" \
  "$([ -e "$home2/.local/share/swoopy" ] && echo present || echo absent)"
play "$prefix/share/games/swoopy" HOME="$home2" XDG_DATA_HOME="$work/xdg"
expect_same_files "player's folder under XDG_DATA_HOME" "$work/xdg/swoopy" "$prefix/share/games/swoopy"

e2e_finish
