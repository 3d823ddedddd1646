#!/usr/bin/env bash
# Runs every test with ctest. Tests that open windows need an X server: without
# a usable display one Xvfb is started for the run and stopped afterwards. The
# end-to-end scripts leave it alone and each start a server of their own.
# Run as root, as CI runs it, the suites that touch files run once more as an
# ordinary user (scripts/unprivileged.sh), as players run the game: permissions
# stop none of root's writes, so only then are their refusals tested.
set -uo pipefail
build=${1:-build}
here=$(dirname "$0")
. "$here/xvfb.sh"
. "$here/unprivileged.sh"
ensure_display
trap 'stop_display; unprivileged_cleanup' EXIT
# No sound card here or in CI: the game falls back to silent output by itself.
(cd "$build" && ctest --output-on-failure -j "$(nproc)")
status=$?
if unprivileged_is_root; then
  assets=$(unprivileged_copy "$here/../assets") || exit 1
  for suite in game_tests sound_tests app_tests replay_tests platform_tests; do
    echo "$suite as the user $UNPRIVILEGED_USER:"
    copy=$(unprivileged_copy "$build/tests/$suite") &&
      run_unprivileged env SWOOPY_ASSETS="$assets" "$copy" --gtest_brief=1 || status=1
  done
fi
exit $status
