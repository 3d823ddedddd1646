#!/usr/bin/env bash
# Runs every test with ctest. The end-to-end tests need an X server: without a
# usable display one Xvfb is started for the run and stopped afterwards.
set -uo pipefail
build=${1:-build}
. "$(dirname "$0")/xvfb.sh"
ensure_display
trap stop_display EXIT
# No sound card here or in CI: the game falls back to silent output by itself.
cd "$build" && ctest --output-on-failure -j "$(nproc)"
