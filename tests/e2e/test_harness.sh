#!/usr/bin/env bash
# Checks the end-to-end helpers themselves against programs whose behaviour is
# known: an image shown in a window of known place, size and colours, and shell
# commands with known exit codes. The game's own tests rely on these helpers.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_ensure_display || e2e_fail "no X display"
work=$(e2e_workdir)
mkdir -p "$work/run"

# The program runs in the folder it is given and reports its exit code.
e2e_start "$work/run" sh -c 'pwd > where.txt; echo first run failed >&2; exit 3'
e2e_wait_exit 5
e2e_expect_eq "exit code" 3 "$?"
e2e_expect_eq "exit code kept" 3 "$E2E_EXIT"
e2e_expect_eq "working folder" "$work/run" "$(cat "$work/run/where.txt" 2>/dev/null)"
first_err=$E2E_ERR

# A second run keeps its own output and leaves the first run's alone.
e2e_start "$work/run" sh -c 'echo second run >&2; echo out'
e2e_wait_exit 5
e2e_expect_eq "first run's standard error" "first run failed" "$(cat "$first_err")"
e2e_expect_eq "second run's standard error" "second run" "$(cat "$E2E_ERR")"
e2e_expect_eq "second run's standard output" "out" "$(cat "$E2E_OUT")"

# A program that does not end in time is reported, and then stopped.
e2e_start "$work/run" sleep 30
e2e_wait_exit 0.3
e2e_expect_eq "exit code while still running" 124 "$?"
e2e_stop
e2e_expect_eq "still running after e2e_stop" no "$(e2e_running && echo yes || echo no)"

# A program's detached copies, its grandchildren in a session of their own, are
# found by the mark they inherit, and stopped with it.
e2e_start "$work/run" sh -c 'setsid sh -c "sleep 60 & echo \$! > detached.pid; wait" & exit 0'
e2e_wait_exit 5
end=$((SECONDS + 60))
until [ -s "$work/run/detached.pid" ] || [ $SECONDS -ge $end ]; do sleep 0.05; done
detached=$(cat "$work/run/detached.pid" 2>/dev/null)
e2e_expect_eq "detached copy among the test's processes" yes \
  "$(grep -qx "${detached:-none}" <<<"$(e2e_marked_pids)" && echo yes || echo no)"
e2e_stop_marked
e2e_expect_eq "test's processes after e2e_stop_marked" "" "$(e2e_marked_pids)"

# A window 120 x 80 at (40, 50): red on the left half, blue on the right.
convert -size 60x80 xc:'#FF0000' -size 60x80 xc:'#0000FF' +append "$work/picture.png"
e2e_start "$work" display -title "harness (check) 1.0" -geometry +40+50 "$work/picture.png"
wid=$(e2e_wait_window "harness (check) 1.0" 60) || e2e_fail "the image window did not appear"
e2e_expect_eq "no window for a title that only begins the same" "" \
  "$(e2e_wait_window "harness" 1 2>/dev/null)"

# The viewer's window has a 2-pixel X border outside its client area.
read -r x y w h < <(e2e_geometry "$wid")
e2e_expect_eq "window size" "120 80" "$w $h"
e2e_expect_eq "client area's place" "42 52" "$x $y"

e2e_screenshot "$wid" "$work/shot.png" || e2e_fail "no screenshot"
e2e_expect_eq "screenshot size" "120x80" "$(identify -format '%wx%h' "$work/shot.png")"
e2e_expect_eq "left pixel" "#FF0000" "$(e2e_pixel "$work/shot.png" 5 70)"
e2e_expect_eq "right pixel" "#0000FF" "$(e2e_pixel "$work/shot.png" 119 0)"
e2e_wait_pixel "$wid" 60 40 "#0000ff" 3 >/dev/null || e2e_expect_eq "waited-for pixel" "#0000FF" "not seen"
e2e_expect_color_near "near colour" "#FA0506" "$(e2e_window_pixel "$wid" 10 10)" 8
if e2e_expect_color_near "far colour" "#E00000" "#FF0000" 8 2>/dev/null; then
  e2e_expect_eq "a colour 31 away counts as near" no yes
else
  E2E_FAILURES=$((E2E_FAILURES - 1))   # that failure was the point
fi

# The pointer lands on the window's own coordinates.
e2e_move "$wid" 30 20
eval "$(xdotool getmouselocation --shell)"
e2e_expect_eq "pointer on the screen" "$((x + 30)) $((y + 20))" "$X $Y"

# Keys reach the window: Ctrl+Q ends the image viewer with exit code 0.
e2e_key "$wid" ctrl+q
e2e_wait_exit 60
e2e_expect_eq "exit code after Ctrl+Q" 0 "$?"

# Windows are the test's program's own: another program's window of the same
# title, older and on the same display, is neither taken nor waited for.
display -title "harness twin" "$work/picture.png" &
other=$!
other_wid=$(e2e_wait_window "harness twin" 60 "$other") || e2e_fail "the other program's window did not appear"
e2e_expect_eq "window of a program that has none yet" "" "$(e2e_wait_window "harness twin" 1 2>/dev/null)"
e2e_start "$work" display -title "harness twin" "$work/picture.png"
wid=$(e2e_wait_window "harness twin" 60) || e2e_fail "the program's own window did not appear"
e2e_expect_eq "windows of that title" 2 "$(xdotool search --onlyvisible --name '^harness twin$' | wc -l)"
e2e_expect_eq "the window found is the program's own" yes "$([ "$wid" != "$other_wid" ] && echo yes || echo no)"
kill "$other"
wait "$other" 2>/dev/null
e2e_stop

# The close box: the viewer ends when asked to close its window.
e2e_start "$work" display -title "harness close" "$work/picture.png"
wid=$(e2e_wait_window "harness close" 60) || e2e_fail "the second image window did not appear"
e2e_close "$wid" || e2e_expect_eq "close request sent" yes no
e2e_wait_exit 60
e2e_expect_eq "exit code after the close box" 0 "$?"

e2e_finish
