#!/usr/bin/env bash
# Runs a command with an X server: the current display when it answers, else an
# Xvfb of its own for the command's run.
#   scripts/with_display.sh COMMAND [ARGS...]
set -uo pipefail
. "$(dirname "$0")/xvfb.sh"
ensure_display
trap stop_display EXIT
"$@"
