#!/usr/bin/env bash
# On Wayland, a compositor that keeps every buffer it was given (here sway
# stopped mid-game: it gives nothing back and answers nothing) does not hang
# the game: it plays on, holding its frames back, and shows them once the
# compositor is back. A game that waited for a buffer would tick no more.
#   test_held_buffers.sh PROGRAM ASSETS
# The program run is the play probe built beside PROGRAM, which prints how many
# movement ticks ran every ten seconds of play.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
folder=$(wl_probe_folder) || e2e_fail "cannot make the probe's play folder"
export PLAY_PROBE_LIVES=1000
wl_play "$folder" "Held"

ticks_lines() { grep -c '^movement ticks:' "$E2E_OUT"; }
sway=$(cat "$WL_RUNTIME/sway.pid")
before=$(ticks_lines)
kill -STOP "$sway"
# A count of movement ticks comes every ten seconds of play.
for _ in $(seq 1 300); do
  [ "$(ticks_lines)" -gt "$before" ] && break
  sleep 0.1
done
after=$(ticks_lines)
kill -CONT "$sway"
e2e_expect_eq "a count of movement ticks while the compositor held every buffer" "more than $before" \
  "$([ "$after" -gt "$before" ] && echo "more than $before" || echo "still $after")"

wl_close
e2e_wait_exit 60
e2e_expect_eq "exit code after the close request" 0 "$?"
e2e_finish
