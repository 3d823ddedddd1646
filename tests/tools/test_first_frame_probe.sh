#!/usr/bin/env bash
# The start-up probe: it times a window's first frame from the X server's events,
# and gives up with the right reason, in time, when the frame never comes.
#   test_first_frame_probe.sh PROBE SDL_FLOOR   (needs $DISPLAY)
set -uo pipefail
probe=$1
floor=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

# The floor's window is white all over in its one frame.
out=$("$probe" -t "SDL floor" -x 100 -y 100 -c FFFFFF -s 10 -- "$floor") || fail "no first frame from the floor: $out"
[[ $out =~ ^map_ms=([0-9.]+)\ frame_ms=([0-9.]+)$ ]] || fail "unexpected output: $out"
awk -v m="${BASH_REMATCH[1]}" -v f="${BASH_REMATCH[2]}" 'BEGIN { exit !(m > 0 && f >= m) }' ||
  fail "the frame came before the window: $out"

# expect_failure SECONDS_AT_MOST REASON PROBE_ARGS...: ends with code 1 and REASON,
# within the time allowed (the probe's own timeout plus room for a busy machine).
expect_failure() {
  local most=$1 reason=$2 start end err code
  shift 2
  start=$(date +%s.%N)
  err=$("$probe" "$@" 2>&1 >/dev/null)
  code=$?
  end=$(date +%s.%N)
  [ "$code" -eq 1 ] || fail "expected exit code 1 for '$reason', got $code ($err)"
  [[ $err == *"$reason"* ]] || fail "expected '$reason', got: $err"
  awk -v a="$start" -v b="$end" -v m="$most" 'BEGIN { exit !(b - a <= m) }' ||
    fail "'$reason' took longer than $most s"
}
expect_failure 15 "the pixel never showed the colour in time" -t "SDL floor" -x 100 -y 100 -c 123456 -s 1 -- "$floor"
expect_failure 15 "no window with that title was shown in time" -t "No such window" -s 1 -- "$floor"
expect_failure 15 "the program ended before its first frame" -t "SDL floor" -s 10 -- /bin/true
echo "first_frame_probe: all checks passed"
