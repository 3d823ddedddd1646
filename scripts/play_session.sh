# Sourced by the scripts that measure the game in an X server (play_cpu.sh,
# play_trace.sh, idle_cpu.sh, startup_time.sh): a scratch play folder with the
# game's files and a display, the program started there, and the start screen
# passed as a player passes it.
#   play_session_open TAG           a scratch folder in $work with the game's
#                                   files, a display, the game at scale 1 (the
#                                   scripts' clicks and probes are layout
#                                   pixels); the caller's EXIT trap calls
#                                   play_session_close
#   game_files_into FOLDER [SOUNDS] the game's text files and its sounds (from
#                                   the folder SOUNDS, the shipped ones by
#                                   default) copied into FOLDER, made first
#   play_session_start PROGRAM      starts PROGRAM in $work (the caller's
#                                   environment goes along), its output in
#                                   $work/out.txt; sets $pid
#   play_session_enter NAME         finds the window ($wid), types NAME in the
#                                   name field and clicks Start
#   play_session_close KEEP         stops the program and the display; removes
#                                   $work unless KEEP is 1
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

work=""
pid=""
wid=""

play_session_assets="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/assets"

game_files_into() {
  mkdir -p "$1" &&
    cp "${2:-$play_session_assets}"/*.wav "$play_session_assets/intro.txt" "$play_session_assets/scores.txt" "$1/"
}

play_session_open() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
  ensure_display
  export SWOOPY_SCALE=1
  game_files_into "$work"
}

play_session_start() {
  (cd "$work" && exec "$1") >"$work/out.txt" 2>&1 &
  pid=$!
}

play_session_enter() {
  wid=$(window_named "Swoopy!")
  [ -n "$wid" ] || return 1
  sleep 0.5
  xdotool mousemove --window "$wid" 780 140 click 1
  xdotool windowfocus "$wid" 2>/dev/null
  xdotool type --delay 30 "$1"
  xdotool mousemove --window "$wid" 785 176 click 1
}

play_session_close() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  pid=""
  stop_display
  if [ -n "$work" ]; then
    [ "${1:-0}" = 1 ] && echo "kept $work" || rm -rf "$work"
  fi
}
