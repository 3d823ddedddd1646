#!/usr/bin/env bash
# Runs every benchmark program in the build folder and prints its results as the
# mean, median and spread of several repetitions. Build Release or RelWithDebInfo.
# Benchmarks that present frames need an X server: without a usable display one
# Xvfb is started for the run and stopped afterwards.
set -uo pipefail
build=${1:-build}
reps=${BENCH_REPETITIONS:-9}
xvfb_pid=""
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { disp=":$n"; break; }
  done
  Xvfb "$disp" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$disp
  for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
fi
trap '[ -n "$xvfb_pid" ] && kill $xvfb_pid 2>/dev/null' EXIT

status=0
found=0
for exe in "$build"/bench/*_bench; do
  [ -x "$exe" ] || continue
  found=1
  echo "== $(basename "$exe")"
  "$exe" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
         --benchmark_counters_tabular=true || status=1
done
if [ "$found" -eq 0 ]; then
  echo "no benchmarks in $build/bench (configure with -DSWOOPY_BENCH=ON)" >&2
  exit 1
fi
exit $status
