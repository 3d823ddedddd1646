#!/usr/bin/env bash
# Takes the README's two pictures of the real game in an Xvfb of its own: the
# start screen with a name typed in, and a game in play a moment after Start.
#   screenshots.sh [BUILD]   writes docs/screenshots/start.png and play.png
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
. "$top/tests/e2e/lib.sh"

# Always a fresh X server, never the desktop: same size and look on every machine.
unset DISPLAY WAYLAND_DISPLAY
e2e_begin "$build/swoopy" "$top/assets"
out="$top/docs/screenshots"
mkdir -p "$out"

e2e_start_screen "$run"

# A name in place of "Enter a name", with the pointer resting off the buttons.
e2e_click "$wid" 820 140
e2e_key "$wid" End $(printf 'BackSpace %.0s' $(seq 1 16))
e2e_type "$wid" "Anna"
e2e_move "$wid" 1000 585
sleep 0.5
e2e_screenshot "$wid" "$(e2e_workdir)/start.png" || e2e_fail "no screenshot of the start screen"

e2e_click "$wid" 785 176
got=$(e2e_wait_pixel_change "$wid" 450 300 "#FFFFFF" 10) || e2e_fail "Start did not start a game"
# Pointer on the bottom bar, out of the movers' way.
e2e_move "$wid" 450 570
sleep 2
e2e_screenshot "$wid" "$(e2e_workdir)/play.png" || e2e_fail "no screenshot of the game"
e2e_close "$wid"
e2e_wait_exit 10

# Without the time stamps ImageMagick writes, an unchanged picture gives the same bytes.
for shot in start play; do
  convert "$(e2e_workdir)/$shot.png" -strip "$out/$shot.png" || e2e_fail "cannot write $out/$shot.png"
  echo "$out/$shot.png"
done
