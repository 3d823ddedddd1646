# Helpers for end-to-end tests: run a program in an X server and drive it with
# real pointer and keyboard input, then look at what it shows.
#
#   . "$(dirname "$0")/lib.sh"
#   e2e_ensure_display [MIN_W MIN_H]        # Xvfb of our own when $DISPLAY is unusable or smaller
#   e2e_new_display [MIN_W MIN_H]           # another Xvfb of our own, made $DISPLAY
#   e2e_window_manager                      # openbox there, stopped with the test
#   e2e_start "$folder" "$program"          # working folder, program, its arguments
#   wid=$(e2e_wait_window "Swoopy!" 60) || e2e_fail "no window"
#   e2e_click "$wid" 100 200
#   e2e_click_field "$wid" 780 140         # a text field: waits until it shows the focus
#   e2e_expect_eq "pixel at 5,5" "#C0C0C0" "$(e2e_window_pixel "$wid" 5 5)"
#   e2e_wait_exit 10; code=$?               # not in $( ): it must run in this shell
#   e2e_finish
#
# Coordinates are client coordinates of the window given. Sourcing this file
# installs an EXIT trap (e2e_cleanup) that stops every program the test started,
# copies they detached included, and the Xvfb, and removes the scratch folder;
# set E2E_KEEP=1 to keep the folder. TERM and INT (ctest's time-out, Ctrl+C)
# end the script through the same trap.
#
# Each test keeps to its own: its own X server (e2e_ensure_display), and a home,
# XDG folders and runtime folder inside its scratch folder, so that tests run
# side by side, and the tester's own files, never meet. Windows are found by the
# process that made them, never by their id or age: the server hands a new
# client the slot a gone one had, and with it the same window ids.
#
# The game runs at presentation scale 1, whatever the desktop's density, so
# that window coordinates are layout pixels; a test of another scale sets
# SWOOPY_SCALE after sourcing this file.
export SWOOPY_SCALE=1

E2E_PID=""          # the program started by e2e_start
E2E_EXIT=""         # its exit code once e2e_wait_exit saw it end
E2E_RUNS=0          # how many programs e2e_start has started
E2E_OUT=""          # the latest run's standard output and error files
E2E_ERR=""
E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/e2e.XXXXXX")   # the program's output, screenshots
E2E_FAILURES=0
E2E_XVFB_PID=""
# Every program e2e_start runs carries this in its environment, and so does any
# copy it starts of itself, detached or not: that is how e2e_marked_pids finds
# them all. Unique per test, as the scratch folder is.
E2E_MARK="swoopy-e2e-${E2E_WORK##*/}-$$"
E2E_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

export HOME="$E2E_WORK/home"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$E2E_WORK/runtime"
mkdir -p "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

e2e_log() { echo "e2e: $*" >&2; }

# The scratch folder, removed at exit.
e2e_workdir() {
  echo "$E2E_WORK"
}

# e2e_ensure_display [MIN_WIDTH MIN_HEIGHT]: starts an Xvfb of the test's own,
# on a free display number, at least that large, whatever $DISPLAY names: on a
# shared server one test's windows and pointer would meet another's.
e2e_ensure_display() {
  [ -z "$E2E_XVFB_PID" ] || return 0
  e2e_new_display "$@"
}

# e2e_new_display [MIN_WIDTH MIN_HEIGHT]: another Xvfb of the test's own, made
# the current DISPLAY; for games that must each have a keyboard focus of their own.
e2e_new_display() {
  local need_w=${1:-0} need_h=${2:-0}
  # Our own server holds the game's window at presentation scale 2 as well.
  [ "$need_w" -ge 2800 ] || need_w=2800
  [ "$need_h" -ge 1600 ] || need_h=1600
  # -noreset: by default the server resets whenever its last client leaves, and a
  # program that connects during the reset fails to open the display.
  # The server picks a free display itself and names it once it listens, so
  # scripts started side by side never share or race for a display number.
  local numfile i
  numfile=$(mktemp)
  # Should the script be killed outright (a TERM trap cannot run for KILL), the
  # server dies with it, and every game on it, detached copies too, loses its
  # display and ends.
  setpriv --pdeathsig KILL -- Xvfb -displayfd 3 -screen 0 "${need_w}x${need_h}x24" -nolisten tcp -noreset \
    3>"$numfile" >/dev/null 2>&1 &
  E2E_XVFB_PID="$E2E_XVFB_PID $!"
  for i in $(seq 1 200); do
    if [ -s "$numfile" ]; then
      export DISPLAY=":$(tr -dc 0-9 <"$numfile")"
      rm -f "$numfile"
      xdpyinfo >/dev/null 2>&1 && return 0
      break
    fi
    sleep 0.05
  done
  rm -f "$numfile"
  e2e_log "Xvfb on $DISPLAY did not come up"
  return 1
}

# e2e_window_manager: openbox on the test's own display, stopped with the test:
# full screen and focus moved between windows are a window manager's to grant.
E2E_WM_PID=""
e2e_window_manager() {
  local end=$((SECONDS + 60))
  command -v openbox >/dev/null || e2e_fail "no window manager: openbox is not installed (scripts/deps.sh)"
  openbox --sm-disable >/dev/null 2>&1 &
  E2E_WM_PID=$!
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    [ $SECONDS -lt $end ] || e2e_fail "the window manager did not come up in 60 s"
    sleep 0.05
  done
}

# e2e_begin "$@": the start of a test of the game, run as SCRIPT PROGRAM ASSETS
# [MORE...]: sets $program and $assets (absolute) from the arguments and $work
# to the scratch folder, makes sure of a display (at least E2E_MIN_SIZE, "W H",
# when set), and fills $run ($work/run) with the game's files.
e2e_begin() {
  local usage="usage: $(basename "$0") PROGRAM ASSETS"
  program=$(realpath "${1:?$usage}")
  assets=$(realpath "${2:?$usage}")
  e2e_ensure_display ${E2E_MIN_SIZE:-} || e2e_fail "no X display${E2E_MIN_SIZE:+ of at least $E2E_MIN_SIZE}"
  work=$(e2e_workdir)
  run="$work/run"
  e2e_game_files "$run"
}

# e2e_game_files FOLDER: FOLDER made and given the game's files from $assets.
e2e_game_files() {
  mkdir -p "$1"
  cp "$assets"/*.wav "$assets/intro.txt" "$assets/scores.txt" "$1/" || e2e_fail "cannot copy the game's files from $assets"
}

# e2e_start_screen FOLDER [X Y]: starts $program in FOLDER and waits for its
# start screen, the introduction panel's pixel at X,Y (850,480 by default) white;
# sets $wid.
e2e_start_screen() {
  local x=${2:-850} y=${3:-480} got
  e2e_start "$1" "$program"
  wid=$(e2e_wait_window "Swoopy!" 60) || e2e_fail "the game window did not appear"
  got=$(e2e_wait_pixel "$wid" "$x" "$y" "#FFFFFF" 60) || e2e_fail "no start screen: pixel $x,$y is $got"
}

# e2e_start FOLDER PROGRAM [ARGS...]: runs PROGRAM in the background with FOLDER
# as its working folder, under the current DISPLAY. Each run keeps its own
# output, $E2E_WORK/program.N.out and program.N.err for the N-th run; E2E_OUT
# and E2E_ERR name the latest run's files.
e2e_start() {
  local folder=$1
  shift
  E2E_EXIT=""
  E2E_RUNS=$((E2E_RUNS + 1))
  E2E_OUT="$E2E_WORK/program.$E2E_RUNS.out"
  E2E_ERR="$E2E_WORK/program.$E2E_RUNS.err"
  e2e_spawn "$folder" "$@" >"$E2E_OUT" 2>"$E2E_ERR"
  E2E_PID=$!
}

# e2e_spawn FOLDER PROGRAM [ARGS...]: PROGRAM in the background, in FOLDER and
# marked as the test's; $! is its process id. For a second program beside the
# one e2e_start follows.
e2e_spawn() {
  local folder=$1
  shift
  (cd "$folder" && E2E_MARK=$E2E_MARK exec "$@") &
}

# e2e_marked_pids: every live process the test started, and every process
# those started in turn, detached or not, found by the mark in its environment.
e2e_marked_pids() {
  local env pid
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}
    pid=${pid%/environ}
    [ "$pid" != "$$" ] && [ "$pid" != "$BASHPID" ] || continue
    grep -qzxF "E2E_MARK=$E2E_MARK" "$env" 2>/dev/null && echo "$pid"
  done
}

# e2e_stop_marked: ends every process e2e_marked_pids finds (TERM, then KILL).
e2e_stop_marked() {
  local pids i
  pids=$(e2e_marked_pids)
  [ -n "$pids" ] || return 0
  kill -TERM $pids 2>/dev/null
  for i in $(seq 1 60); do
    pids=$(e2e_marked_pids)
    [ -n "$pids" ] || return 0
    sleep 0.05
  done
  kill -KILL $pids 2>/dev/null
}

e2e_running() {
  [ -n "$E2E_PID" ] && kill -0 "$E2E_PID" 2>/dev/null
}

# e2e_windows_of TITLE PID...: the ids of the shown windows titled exactly
# TITLE that the processes PID made, one a line.
e2e_windows_of() {
  local title=$1 pattern ids
  shift
  pattern="^$(printf '%s' "$title" | sed 's/[][\.*^$(){}?+|/]/\\&/g')\$"
  ids=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null) || return 0
  # shellcheck disable=SC2086
  python3 "$E2E_LIB/window_pids.py" $ids | awk -v pids=" $* " 'index(pids, " " $2 " ") { print $1 }'
}

# e2e_wait_window TITLE [SECONDS [PID]]: prints the id of the shown window
# titled exactly TITLE that the process PID (by default the program e2e_start
# started) made; fails after SECONDS (default 10).
e2e_wait_window() {
  local title=$1 seconds=${2:-10} pid=${3:-$E2E_PID}
  # Searched again and again rather than with --sync: a window that another
  # program destroys in the middle of a search makes xdotool give up at once.
  local ids steps
  steps=$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 20 }')
  while [ "$steps" -gt 0 ]; do
    ids=$(e2e_windows_of "$title" "$pid")
    if [ -n "$ids" ]; then
      echo "$ids" | head -n 1
      return 0
    fi
    steps=$((steps - 1))
    sleep 0.05
  done
  e2e_log "no window titled '$title' of process $pid within ${seconds}s"
  return 1
}

# e2e_geometry WID: prints "X Y WIDTH HEIGHT", the client area on the screen
# (xwininfo's corner lies outside the window's X border).
e2e_geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X:/ { x = $NF }
    /Absolute upper-left Y:/ { y = $NF }
    /Border width:/ { b = $NF }
    /^ *Width:/ { w = $NF }
    /^ *Height:/ { h = $NF }
    END { print x + b, y + b, w, h }'
}

# e2e_screenshot WID FILE: the window's client area as a PNG.
e2e_screenshot() {
  import -window "$1" "$2"
}

# e2e_pixel FILE X Y: prints the pixel's colour as #RRGGBB.
e2e_pixel() {
  convert "$1" -alpha off -crop "1x1+$2+$3" +repage -depth 8 txt:- |
    sed -n 's/.*\(#[0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1 | tr 'a-f' 'A-F'
}

# e2e_pixels_in FILE X Y W H LOW HIGH: of the region's pixels, those whose red,
# green and blue all lie in LOW..HIGH (0-255): prints "COUNT LEFT TOP RIGHT
# BOTTOM", the bounding box in the picture's coordinates, or "0 - - - -".
# Text drawn over a plain background shows up this way without reading it.
e2e_pixels_in() {
  convert "$1" -alpha off -crop "$4x$5+$2+$3" +repage -depth 8 txt:- |
    awk -v x0="$2" -v y0="$3" -v lo="$6" -v hi="$7" '
      /^[0-9]+,[0-9]+: *\(/ {
        split($1, p, /[,:]/)
        c = $2; gsub(/[()]/, "", c); split(c, v, ",")
        if (v[1] >= lo && v[1] <= hi && v[2] >= lo && v[2] <= hi && v[3] >= lo && v[3] <= hi) {
          x = p[1] + x0; y = p[2] + y0
          if (n == 0 || x < l) l = x
          if (n == 0 || x > r) r = x
          if (n == 0 || y < t) t = y
          if (n == 0 || y > b) b = y
          n++
        }
      }
      END { if (n) print n, l, t, r, b; else print "0 - - - -" }'
}

# e2e_count_changed FILE1 FILE2 X Y W H: how many pixels of the region differ.
e2e_count_changed() {
  local a="$E2E_WORK/changed-a.png" b="$E2E_WORK/changed-b.png"
  convert "$1" -alpha off -crop "$5x$6+$3+$4" +repage "$a" &&
    convert "$2" -alpha off -crop "$5x$6+$3+$4" +repage "$b" || return 1
  # compare prints the count on stderr and exits 1 when the pictures differ.
  compare -metric AE "$a" "$b" null: 2>&1 | awk '{ printf "%d\n", $1 }'
}

# e2e_window_pixel WID X Y: a fresh screenshot's pixel, as #RRGGBB.
e2e_window_pixel() {
  local shot="$E2E_WORK/pixel.png"
  e2e_screenshot "$1" "$shot" && e2e_pixel "$shot" "$2" "$3"
}

# e2e_wait_pixel WID X Y COLOUR [SECONDS]: waits until the pixel shows COLOUR
# (#RRGGBB); fails after SECONDS (default 5), printing the last colour seen.
e2e_wait_pixel() {
  local wid=$1 x=$2 y=$3 want seconds=${5:-5}
  want=$(echo "$4" | tr 'a-f' 'A-F')
  local end=$((SECONDS + seconds)) got=""
  while :; do
    got=$(e2e_window_pixel "$wid" "$x" "$y")
    [ "$got" = "$want" ] && return 0
    [ $SECONDS -ge $end ] && break
    sleep 0.1
  done
  echo "$got"
  return 1
}

# e2e_wait_pixel_change WID X Y COLOUR [SECONDS]: waits until the pixel shows
# anything but COLOUR (#RRGGBB) and prints what it shows; fails after SECONDS
# (default 5).
e2e_wait_pixel_change() {
  local wid=$1 x=$2 y=$3 old seconds=${5:-5}
  old=$(echo "$4" | tr 'a-f' 'A-F')
  local end=$((SECONDS + seconds)) got=""
  while :; do
    got=$(e2e_window_pixel "$wid" "$x" "$y")
    if [ -n "$got" ] && [ "$got" != "$old" ]; then
      echo "$got"
      return 0
    fi
    [ $SECONDS -ge $end ] && break
    sleep 0.1
  done
  echo "$got"
  return 1
}

# e2e_move WID X Y: moves the pointer to a point of the window.
e2e_move() {
  xdotool mousemove --window "$1" "$2" "$3"
}

# e2e_click WID X Y [BUTTON]: moves there and clicks (1 left, 2 middle, 3 right).
e2e_click() {
  e2e_move "$1" "$2" "$3" && xdotool click "${4:-1}"
}

# e2e_click_field WID X Y: clicks a text field and waits (20 s at most) until
# the window shows the change the click made on its row, from 150 pixels left
# of X to 60 right (the field's caret, at the click or at the end of the text):
# the game asks for text input when it handles the click, and keys that reach
# it before then are keys alone, not text. Returns 1 when nothing changed.
e2e_click_field() {
  local before="$E2E_WORK/field-before.png" after="$E2E_WORK/field-after.png"
  e2e_screenshot "$1" "$before" || return 1
  e2e_click "$1" "$2" "$3" || return 1
  e2e_wait_region_change "$1" "$before" "$after" $(($2 - 150)) $(($3 - 10)) 210 20
}

# e2e_wait_region_change WID SHOT NEW X Y W H: takes screenshots into NEW until
# the region differs from SHOT's, for 20 s at most; returns 1 when it did not.
e2e_wait_region_change() {
  local end=$((SECONDS + 20)) changed
  while :; do
    e2e_screenshot "$1" "$3"
    changed=$(e2e_count_changed "$2" "$3" "$4" "$5" "$6" "$7")
    [ "${changed:-0}" -gt 0 ] && return 0
    if [ $SECONDS -ge $end ]; then
      e2e_log "nothing changed at $4,$5 ($6 x $7) in 20 s"
      return 1
    fi
    sleep 0.1
  done
}

# e2e_press / e2e_release WID X Y [BUTTON]: a button held down across moves.
e2e_press() {
  e2e_move "$1" "$2" "$3" && xdotool mousedown "${4:-1}"
}
e2e_release() {
  e2e_move "$1" "$2" "$3" && xdotool mouseup "${4:-1}"
}

# e2e_focus WID: gives the window the keyboard.
e2e_focus() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}

# e2e_type WID TEXT: types TEXT into the window.
e2e_type() {
  e2e_focus "$1" && xdotool type --delay 30 -- "$2"
}

# e2e_key WID KEY...: presses keys by name, e.g. Return, Tab, alt+s.
e2e_key() {
  local wid=$1
  shift
  e2e_focus "$wid" && xdotool key --delay 30 "$@"
}

# e2e_close WID: presses the window's close box: sends it the window manager's
# WM_DELETE_WINDOW request, which works with no window manager running too.
e2e_close() {
  python3 - "$1" <<'PY'
import ctypes, ctypes.util, sys

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(Event)]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1], 0)
ev = Event()
ev.xclient.type = 33   # ClientMessage
ev.xclient.window = window
ev.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
ev.xclient.format = 32
ev.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
ev.xclient.data[1] = 0   # CurrentTime
ok = x11.XSendEvent(display, window, 0, 0, ctypes.byref(ev))
x11.XFlush(display)
x11.XCloseDisplay(display)
sys.exit(0 if ok else 1)
PY
}

# e2e_wait_exit [SECONDS]: waits for the program to end (default 10 s) and
# returns its exit code, also left in E2E_EXIT; returns 124 when it is still
# running then, and stops it, so that a failed round leaves nothing behind.
# Call it directly, not inside $( ).
e2e_wait_exit() {
  local seconds=${1:-10}
  local steps
  steps=$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 20 }')
  while e2e_running; do
    if [ "$steps" -le 0 ]; then
      e2e_log "the program is still running after ${seconds}s"
      e2e_kill
      return 124
    fi
    steps=$((steps - 1))
    sleep 0.05
  done
  if [ -n "$E2E_PID" ]; then
    wait "$E2E_PID" 2>/dev/null
    E2E_EXIT=$?
    E2E_PID=""
  fi
  return "${E2E_EXIT:-0}"
}

# e2e_stop: ends the program if it still runs (TERM, then KILL).
e2e_stop() {
  if e2e_running; then
    kill -TERM "$E2E_PID" 2>/dev/null
    e2e_wait_exit 3 >/dev/null 2>&1
  fi
  E2E_PID=""
}

# e2e_kill: the program killed outright and reaped.
e2e_kill() {
  kill -KILL "$E2E_PID" 2>/dev/null
  wait "$E2E_PID" 2>/dev/null
  E2E_PID=""
}

# e2e_expect_eq WHAT EXPECTED ACTUAL: records a failure unless equal.
e2e_expect_eq() {
  if [ "$2" != "$3" ]; then
    e2e_log "$1: expected '$2', got '$3'"
    E2E_FAILURES=$((E2E_FAILURES + 1))
    return 1
  fi
}

# e2e_color_near EXPECTED ACTUAL [TOLERANCE]: true when both are #RRGGBB colours
# whose channels differ by at most TOLERANCE (default 8); records nothing.
e2e_color_near() {
  local want=${1#\#} got=${2#\#} tol=${3:-8}
  local i d
  [[ "$want" =~ ^[0-9A-Fa-f]{6}$ && "$got" =~ ^[0-9A-Fa-f]{6}$ ]] || return 1
  for i in 0 2 4; do
    d=$((16#${want:i:2} - 16#${got:i:2}))
    if [ "$d" -gt "$tol" ] || [ "$d" -lt "-$tol" ]; then return 1; fi
  done
  return 0
}

# e2e_expect_color_near WHAT EXPECTED ACTUAL [TOLERANCE]: colours as #RRGGBB,
# each channel within TOLERANCE (default 8).
e2e_expect_color_near() {
  local what=$1 want=${2#\#}
  if ! e2e_color_near "$2" "$3" "${4:-8}"; then
    e2e_log "$what: expected a colour near #$want, got '$3'"
    E2E_FAILURES=$((E2E_FAILURES + 1))
    return 1
  fi
}

# e2e_fail MESSAGE: stops the test at once.
e2e_fail() {
  e2e_log "$*"
  exit 1
}

# e2e_finish: the test's result, 1 when any expectation failed.
e2e_finish() {
  if [ "$E2E_FAILURES" -ne 0 ]; then
    e2e_log "$E2E_FAILURES expectation(s) failed"
    exit 1
  fi
  exit 0
}

e2e_cleanup() {
  local status=$?
  e2e_stop
  e2e_stop_marked
  local server
  if [ -n "$E2E_WM_PID" ]; then
    kill "$E2E_WM_PID" 2>/dev/null
    wait "$E2E_WM_PID" 2>/dev/null
  fi
  for server in $E2E_XVFB_PID; do
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
  done
  if [ -n "$E2E_WORK" ]; then
    # A failed test shows what every run of the program said on its way out.
    if [ "$status" -ne 0 ]; then
      local run
      for run in $(seq 1 "$E2E_RUNS"); do
        [ -s "$E2E_WORK/program.$run.err" ] || continue
        e2e_log "standard error of run $run:"
        tail -n 20 "$E2E_WORK/program.$run.err" >&2
      done
    fi
    if [ "${E2E_KEEP:-0}" = 1 ] || [ "$status" -ne 0 ]; then
      e2e_log "scratch folder kept: $E2E_WORK"
    else
      rm -rf "$E2E_WORK"
    fi
  fi
  return "$status"
}
trap e2e_cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
