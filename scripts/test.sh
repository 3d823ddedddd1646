#!/usr/bin/env bash
# Runs every test with ctest. The end-to-end tests need an X server: without a
# usable display one Xvfb is started for the run and stopped afterwards.
set -uo pipefail
build=${1:-build}
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
# No sound card here or in CI: the game falls back to silent output by itself.
cd "$build" && ctest --output-on-failure -j "$(nproc)"
