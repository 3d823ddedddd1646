# Helpers for end-to-end tests under a Wayland compositor: a headless sway of the
# test's own, started here like Xvfb is for the X11 tests, with the game talking
# to it natively (SDL_VIDEODRIVER=wayland). Sway refuses to run as root, so as
# root the compositor, the game and every client run as an ordinary user, with
# copies of the program and its files that the user owns.
#
#   . "$(dirname "$0")/lib.sh"             # also sources ../lib.sh
#   wl_start_compositor                     # sway, its runtime folder, a pointer, a keyboard
#   folder=$(wl_game_folder "$program" "$assets")
#   wl_start "$folder"                      # the game, in its folder
#   wl_wait_window "Swoopy!" 10 || e2e_fail "no window"   # sets WL_X WL_Y
#   wl_click_field 780 141; wl_type "Ann"; wl_key Return
#   wl_play "$folder" "Ann"                # or the two above and a name to play
#   wl_screenshot FILE                      # the client area, for e2e_pixel & co.
#   wl_close; e2e_wait_exit 10
#
# Coordinates are the window's client coordinates, at presentation scale 1.
# Windows have no frame here, so the client area is all sway reports of one.
# The compositor draws the pointer into its output, and so into screenshots:
# a test moves it off what it looks at.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/unprivileged.sh"

WL_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WL_GAME_PIDFILE=""
WL_RUNTIME=""
WL_X=0
WL_Y=0

# As root, run_unprivileged gives the user HOME=$UNPRIVILEGED_HOME, a fresh one
# of this test's, and XDG_RUNTIME_DIR=$UNPRIVILEGED_HOME/run; the XDG folders
# go there too, where the user may write. An ordinary user keeps the folders
# ../lib.sh made in the scratch folder.
if unprivileged_is_root; then
  WL_RUNTIME="$UNPRIVILEGED_HOME/run"
  export XDG_DATA_HOME="$UNPRIVILEGED_HOME/.local/share"
  export XDG_CACHE_HOME="$UNPRIVILEGED_HOME/.cache"
  export XDG_CONFIG_HOME="$UNPRIVILEGED_HOME/.config"
  run_unprivileged mkdir -p "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"
else
  WL_RUNTIME=$XDG_RUNTIME_DIR
fi
# Nothing of a desktop this runs in may leak in: the game talks to our sway alone.
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
export SDL_VIDEODRIVER=wayland

# wl_spawn NAME COMMAND...: runs COMMAND as the user in the background, with
# its output in $E2E_WORK/NAME.log and its own process id in $WL_RUNTIME/NAME.pid
# (the background job itself is only a wrapper when root hands over). Marked as
# the test's, it ends with the test.
wl_spawn() {
  local name=$1
  shift
  rm -f "$WL_RUNTIME/$name.pid"
  E2E_MARK=$E2E_MARK run_unprivileged sh -c 'echo $$ >"$0" && exec "$@"' "$WL_RUNTIME/$name.pid" "$@" >"$E2E_WORK/$name.log" 2>&1 &
}

wl_cleanup() {
  local status=$?
  if e2e_running; then
    kill -TERM "$(cat "$WL_GAME_PIDFILE" 2>/dev/null)" 2>/dev/null
    e2e_wait_exit 3 >/dev/null 2>&1 || kill -KILL "$(cat "$WL_GAME_PIDFILE" 2>/dev/null)" 2>/dev/null
  fi
  # Its clients (the pointer, wl-copy) end with the compositor.
  local sway
  sway=$(cat "$WL_RUNTIME/sway.pid" 2>/dev/null)
  if [ -n "$sway" ] && kill "$sway" 2>/dev/null; then
    for _ in $(seq 1 60); do kill -0 "$sway" 2>/dev/null || break; sleep 0.05; done
  fi
  if [ "$status" -ne 0 ] && [ -s "$E2E_WORK/sway.log" ]; then
    e2e_log "sway's last words:"
    tail -n 5 "$E2E_WORK/sway.log" >&2
  fi
  # Whatever else the test started (the keyboard, the pointer, wl-copy) and
  # anything that outlived the compositor.
  e2e_stop_marked
  unprivileged_cleanup
  (exit "$status")
  e2e_cleanup
}
trap wl_cleanup EXIT

# wl_begin PROGRAM ASSETS: the prologue of every Wayland test: sets $program,
# $assets and $work, and starts the compositor.
wl_begin() {
  local usage="usage: $(basename "$0") PROGRAM ASSETS"
  program=$(realpath "${1:?$usage}")
  assets=${2:?$usage}
  work=$(e2e_workdir)
  wl_start_compositor || e2e_fail "no compositor"
}

# wl_start_compositor: a headless sway on a 1920x1080 output, and a pointer on
# its seat (a headless sway has no input devices, and without a pointer its
# clients get no pointer events from `swaymsg seat - cursor`).
wl_start_compositor() {
  local config="$E2E_WORK/sway.config" i sock=""
  cat >"$config" <<'CONF'
output HEADLESS-1 resolution 1920x1080 position 0 0 bg #404040 solid_color
xwayland disable
default_border none
default_floating_border none
CONF
  chmod 644 "$config"
  chmod 755 "$E2E_WORK"
  wl_spawn sway env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$config"
  for i in $(seq 1 200); do
    sock=$(find "$WL_RUNTIME" -maxdepth 1 -name 'sway-ipc.*.sock' 2>/dev/null | head -n 1)
    [ -n "$sock" ] && [ -n "$(find "$WL_RUNTIME" -maxdepth 1 -type s -name 'wayland-*')" ] && break
    sock=""
    sleep 0.05
  done
  [ -n "$sock" ] || { e2e_log "sway did not come up"; return 1; }
  export SWAYSOCK=$sock
  WAYLAND_DISPLAY=$(basename "$(find "$WL_RUNTIME" -maxdepth 1 -type s -name 'wayland-*' | head -n 1)")
  export WAYLAND_DISPLAY
  local helper
  helper=$(unprivileged_copy "$WL_LIB/virtual_pointer.py") || return 1
  wl_spawn pointer python3 "$helper"
  for i in $(seq 1 100); do
    grep -q ready "$E2E_WORK/pointer.log" 2>/dev/null && break
    sleep 0.05
  done
  grep -q ready "$E2E_WORK/pointer.log" || { e2e_log "no pointer on sway's seat: $(cat "$E2E_WORK/pointer.log")"; return 1; }
  # And a keyboard that stays, as a desktop has, and types what the test asks
  # (wl_type, wl_key): wtype's own keyboards come and go with each call, and
  # SDL 2.26 crashes (in its keymap lookup) when the seat's only keyboard goes
  # away and a new one comes. Started as a coprocess: its standard input takes
  # the test's requests and its standard output answers each.
  helper=$(unprivileged_copy "$WL_LIB/virtual_keyboard.py") || return 1
  coproc WL_KEYBOARD { E2E_MARK=$E2E_MARK run_unprivileged env python3 "$helper" 2>"$E2E_WORK/keyboard.log"; }
  local reply=""
  read -r -t 20 -u "${WL_KEYBOARD[0]}" reply
  [ "$reply" = ready ] || { e2e_log "no keyboard on sway's seat: $reply $(cat "$E2E_WORK/keyboard.log")"; return 1; }
  for i in $(seq 1 100); do
    run_unprivileged swaymsg -t get_inputs -r | grep -q '"type": "keyboard"' && return 0
    sleep 0.05
  done
  e2e_log "sway lists no keyboard: $(cat "$E2E_WORK/keyboard.log")"
  return 1
}

# wl_game_folder PROGRAM ASSETS: a play folder with the program and the game's
# files in it, where the user who runs the game may read and write; prints it.
wl_game_folder() {
  local folder="$E2E_WORK/game"
  mkdir -p "$folder"
  cp "$1" "$folder/swoopy" &&
    cp "$2"/*.wav "$2/intro.txt" "$2/scores.txt" "$folder/" || return 1
  unprivileged_copy "$folder"
}

# wl_probe_folder: a play folder with the play probe built beside the program
# under test in place of the game; prints the folder.
wl_probe_folder() {
  local probe
  probe=$(dirname "$program")/play_probe
  [ -x "$probe" ] || { echo "no play probe beside $program" >&2; return 1; }
  wl_game_folder "$probe" "$assets"
}

# wl_start FOLDER: runs FOLDER/swoopy there. E2E_PID is the process that waits
# for it (its exit status is the game's); the game's own id goes to a file.
wl_start() {
  local folder=$1
  E2E_EXIT=""
  E2E_RUNS=$((E2E_RUNS + 1))
  E2E_OUT="$E2E_WORK/program.$E2E_RUNS.out"
  E2E_ERR="$E2E_WORK/program.$E2E_RUNS.err"
  WL_GAME_PIDFILE="$folder/pid"
  rm -f "$WL_GAME_PIDFILE"
  E2E_MARK=$E2E_MARK run_unprivileged sh -c 'echo $$ >"$1/pid" && cd "$1" && exec ./swoopy' sh "$folder" >"$E2E_OUT" 2>"$E2E_ERR" &
  E2E_PID=$!
}

# wl_play FOLDER NAME: starts the game in FOLDER and plays: NAME typed on the
# start screen, Return, and the pointer left on the bottom bar, where nothing
# moves; fails the test unless the playfield shows.
wl_play() {
  local got
  wl_start "$1"
  wl_wait_window "Swoopy!" 60 || e2e_fail "the game window did not appear: $(cat "$E2E_ERR")"
  got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 60) || e2e_fail "no start screen: pixel 850,480 is $got"
  wl_click_field 780 141 || e2e_fail "the name field did not take the click"
  wl_type "$2"
  wl_key Return
  got=$(e2e_wait_pixel_change wl 450 300 "#FFFFFF" 60) || e2e_fail "the game did not start: pixel 450,300 is $got"
}

# wl_sway ARGS...: a command to the compositor.
wl_sway() {
  run_unprivileged swaymsg -- "$@" >/dev/null
}

# wl_wait_window TITLE [SECONDS]: waits until a window of that exact title is
# mapped and sets WL_X WL_Y, its client area's corner on the output.
wl_wait_window() {
  local title=$1 steps
  steps=$(awk -v s="${2:-10}" 'BEGIN { printf "%d", s * 10 }')
  while [ "$steps" -gt 0 ]; do
    read -r WL_X WL_Y < <(run_unprivileged swaymsg -t get_tree -r 2>/dev/null | python3 -c '
import json, sys
def walk(n):
    if n.get("name") == sys.argv[1] and n.get("pid") and n.get("visible"):
        r, w = n["rect"], n["window_rect"]
        print(r["x"] + w["x"], r["y"] + w["y"])
        sys.exit()
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))
' "$title")
    [ -n "${WL_X:-}" ] && [ -n "${WL_Y:-}" ] && return 0
    steps=$((steps - 1))
    sleep 0.1
  done
  e2e_log "no window titled '$title'"
  return 1
}

# wl_window_type TITLE: prints how sway holds the window (floating_con or con)
# and the size it gives it.
wl_window_type() {
  run_unprivileged swaymsg -t get_tree -r | python3 -c '
import json, sys
def walk(n):
    if n.get("name") == sys.argv[1] and n.get("pid"):
        print(n["type"], n["window_rect"]["width"], n["window_rect"]["height"])
        sys.exit()
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))
' "$1"
}

# wl_move X Y: the pointer to a point of the window.
wl_move() {
  wl_sway seat - cursor set $((WL_X + $1)) $((WL_Y + $2))
}

# wl_click X Y: moves there and clicks the left button.
wl_click() {
  wl_move "$1" "$2" && wl_sway seat - cursor press button1 && wl_sway seat - cursor release button1
}

# wl_click_field X Y [SCALE]: clicks a text field, as e2e_click_field does, with
# the pointer kept out of the screenshots (the compositor draws it into them);
# SCALE is the screenshots' pixels a point (the output's scale, by default 1).
wl_click_field() {
  local before="$E2E_WORK/field-before.png" after="$E2E_WORK/field-after.png" s=${3:-1}
  wl_move 1060 590 && wl_screenshot "$before" || return 1
  wl_click "$1" "$2" && wl_move 1060 590 || return 1
  e2e_wait_region_change wl "$before" "$after" $(($1 * s - 150)) $(($2 * s - 10)) 210 20
}

# wl_stir X Y SECONDS: holds the pointer at a point of the window and stirs it
# there (in the background) for SECONDS; wl_stop_stir ends it early.
wl_stir() {
  local helper
  helper=$(unprivileged_copy "$WL_LIB/stir.py") || return 1
  wl_spawn stir python3 "$helper" $((WL_X + $1)) $((WL_Y + $2)) "$3"
}
wl_stop_stir() {
  local pid
  pid=$(cat "$WL_RUNTIME/stir.pid" 2>/dev/null) && kill "$pid" 2>/dev/null
}

# wl_keyboard REQUEST: a request to the test's keyboard (virtual_keyboard.py),
# waited for until the compositor has taken every key of it.
wl_keyboard() {
  local reply=""
  [ -n "${WL_KEYBOARD[1]:-}" ] || e2e_fail "the keyboard has gone: $(cat "$E2E_WORK/keyboard.log")"
  printf '%s\n' "$1" >&"${WL_KEYBOARD[1]}"
  read -r -t 30 -u "${WL_KEYBOARD[0]}" reply
  [ "$reply" = done ] || e2e_fail "the keyboard did not type '$1': ${reply:-no answer in 30 s}"
}

# wl_type TEXT: types into the window with the keyboard focus.
wl_type() {
  wl_keyboard "text $1"
}

# wl_key KEY...: presses keys by name (Return, BackSpace); MOD+KEY holds a
# modifier (ctrl, alt, shift) around the key.
wl_key() {
  wl_keyboard "keys $*"
}

# wl_clipboard TEXT: puts TEXT on the desktop's clipboard; wl-copy stays, to
# serve it, until the compositor ends.
wl_clipboard() {
  wl_spawn clipboard wl-copy --foreground -- "$1"
}

# wl_wait_clipboard TEXT [SECONDS]: waits until the clipboard serves TEXT.
wl_wait_clipboard() {
  local end=$((SECONDS + ${2:-10}))
  until [ "$(run_unprivileged wl-paste --no-newline 2>/dev/null)" = "$1" ]; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.05
  done
}

# wl_screenshot FILE: the window's client area as a PNG.
wl_screenshot() {
  run_unprivileged grim -g "$WL_X,$WL_Y 1109x607" - >"$1"
}
# So the X11 suite's helpers that look at the window (e2e_window_pixel,
# e2e_wait_pixel, e2e_wait_pixel_change) look here; their window id means nothing.
e2e_screenshot() {
  wl_screenshot "$2"
}

# wl_close: the compositor asks the window to close, as its close box would.
wl_close() {
  wl_sway '[title="^Swoopy!$"] kill'
}
