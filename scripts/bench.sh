#!/usr/bin/env bash
# Runs every benchmark program in the build folder and prints its results, with
# the median of several repetitions. The build should be Release or RelWithDebInfo.
set -euo pipefail
build=${1:-build}
reps=${BENCH_REPETITIONS:-9}
found=0
for exe in "$build"/bench/*_bench; do
  [ -x "$exe" ] || continue
  found=1
  echo "== $(basename "$exe")"
  "$exe" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
         --benchmark_counters_tabular=true
done
[ "$found" -eq 1 ] || { echo "no benchmarks in $build/bench (configure with -DSWOOPY_BENCH=ON)" >&2; exit 1; }
