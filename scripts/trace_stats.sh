#!/usr/bin/env bash
# Figures from a frame trace (SWOOPY_TRACE=FILE, described in src/scene/FrameTrace.h):
#  - the interval between presented movement frames (frames that follow a tick
#    while the shortest armed timer period is a beat), median, 99th percentile
#    and largest;
#  - pointer-to-present: for each pointer event (move, press, release) whose
#    handling changed the window, the time from its arrival to the end of the
#    present that showed it, median, 99th percentile and largest;
#  - the time in handlers, composing and presenting per frame, median and 99th.
# FROM_MS and TO_MS (platform clock) keep only frames in between, to leave out
# the start and the end.
#   scripts/trace_stats.sh TRACE
set -uo pipefail
trace=${1:?usage: trace_stats.sh TRACE}
from=${FROM_MS:-0}
to=${TO_MS:-1e18}

# pct P: the P-th percentile (nearest rank) of the sorted numbers on stdin.
stats() {
  sort -g | awk -v what="$1" '
    { v[NR] = $1 }
    END {
      if (NR == 0) { printf "%-28s no samples\n", what; exit }
      p50 = v[int((NR + 1) / 2)]
      i99 = int(NR * 0.99 + 0.999); if (i99 < 1) i99 = 1; if (i99 > NR) i99 = NR
      printf "%-28s median %7.3f ms, 99th %7.3f ms, largest %7.3f ms (%d samples)\n", what, p50, v[i99], v[NR], NR
    }'
}

field() { sed -n "s/.* $1=\\([^ ]*\\).*/\\1/p"; }

frames=$(awk -v a="$from" -v b="$to" '{ split($3, t, "="); if (t[2] + 0 >= a && t[2] + 0 <= b) print }' "$trace")
[ -n "$frames" ] || { echo "trace_stats: no frames in $trace" >&2; exit 1; }
echo "$(wc -l <<<"$frames") frames"

# Movement frames are those a timer of the beat's period ticked for; a slower
# shortest period (a paused game's bonus round, its end) breaks the run of them.
awk -v beat=15.625 '{
    split($3, t, "="); split($4, k, "="); split($5, p, "=")
    if (p[2] == "-" || p[2] + 0 > beat) { seen = 0; next }
    if (k[2] > 0) { if (seen) print t[2] - last; last = t[2]; seen = 1 }
  }' <<<"$frames" | stats "movement frame interval"
field input <<<"$frames" | tr ',' '\n' | awk -F/ '($1 == "move" || $1 == "down" || $1 == "up") && $3 == "shown" { print $2 }' |
  stats "pointer to present"
field handlers <<<"$frames" | stats "handlers per frame"
field compose <<<"$frames" | stats "composing per frame"
field present <<<"$frames" | stats "presenting per frame"
