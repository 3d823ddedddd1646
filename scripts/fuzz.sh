#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a set time each, starting from
# its kept seed corpus in fuzz/corpus/NAME. New inputs that reach new code go to
# BUILD/corpus/NAME (not kept); an input that breaks a rule or crashes is saved
# as BUILD/findings/NAME-crash-..., its report is shown, and the script fails.
# Keep such an input by copying it into fuzz/corpus/NAME once it is mended:
# `make test` replays every kept input.
#   scripts/fuzz.sh BUILD [SECONDS] [NAME...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: fuzz.sh BUILD [SECONDS] [NAME...]}
seconds=${2:-60}
shift $(( $# > 1 ? 2 : 1 ))
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for exe in "$build"/fuzz/fuzz_*; do
    [ -x "$exe" ] && names+=("$(basename "$exe" | sed 's/^fuzz_//')")
  done
fi
[ ${#names[@]} -gt 0 ] || { echo "fuzz: no fuzz targets in $build/fuzz" >&2; exit 2; }

# The targets write every input to a file: in memory that costs next to nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

status=0
mkdir -p "$build/findings"
for name in "${names[@]}"; do
  mkdir -p "$build/corpus/$name"
  log="$build/findings/$name.log"
  echo "== $name: $seconds s"
  # ASan and UBSan stop at the first fault; leaks are faults too.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$build/findings/$name-" "$build/corpus/$name" "$root/fuzz/corpus/$name" >"$log" 2>&1
  code=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
  if [ "$code" -eq 0 ]; then
    echo "   ${execs:-?} executions (${speed:-?}/s), $cov, nothing found"
  else
    status=1
    echo "   FOUND a fault after ${execs:-?} executions; the report ($log):"
    grep -E -A25 'ERROR: |fuzz: |runtime error|deadly signal|Test unit written' "$log" | head -60
  fi
done
exit $status
