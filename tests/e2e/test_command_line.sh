#!/usr/bin/env bash
# The real program's command line: --help and --version answer and exit 0, an
# unknown option prints the usage on standard error and exits 2, all without a
# display: had the program tried to open one, it would have ended with 1.
#   test_command_line.sh PROGRAM ASSETS
set -uo pipefail
. "$(dirname "$0")/lib.sh"

program=$(realpath "${1:?usage: test_command_line.sh PROGRAM ASSETS}")
work=$(e2e_workdir)
# answer ARGS...: runs the program with no display; its output in $work/out and $work/err.
answer() {
  env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$@" >"$work/out" 2>"$work/err"
}

answer --help
e2e_expect_eq "--help: exit code" 0 "$?"
e2e_expect_eq "--help: first line" "Usage: swoopy [OPTION]..." "$(head -n 1 "$work/out")"
e2e_expect_eq "--help: nothing on standard error" "" "$(cat "$work/err")"
help=$(cat "$work/out")

answer --version
e2e_expect_eq "--version: exit code" 0 "$?"
e2e_expect_eq "--version: output" "swoopy 1.0.0" "$(cat "$work/out")"

answer --bogus
e2e_expect_eq "unknown option: exit code" 2 "$?"
e2e_expect_eq "unknown option: nothing on standard output" "" "$(cat "$work/out")"
e2e_expect_eq "unknown option: the reason, then the usage" "swoopy: unknown option '--bogus'
$help" "$(cat "$work/err")"

answer --fullscreen
e2e_expect_eq "a good option without a display: exit code" 1 "$?"
e2e_finish
