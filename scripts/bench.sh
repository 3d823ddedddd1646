#!/usr/bin/env bash
# Runs every benchmark program in the build folder and prints its results as the
# mean, median and spread of several repetitions. Build Release or RelWithDebInfo.
# Benchmarks that present frames need an X server: without a usable display one
# Xvfb is started for the run and stopped afterwards.
set -uo pipefail
build=${1:-build}
reps=${BENCH_REPETITIONS:-9}
. "$(dirname "$0")/xvfb.sh"
ensure_display
trap stop_display EXIT

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
