#!/usr/bin/env bash
# What the game holds in memory under a Wayland compositor (a headless sway of
# its own, as the Wayland end-to-end tests start it), natively: VmRSS and VmHWM
# on the start screen, and the shared libraries that take most of it.
#   scripts/wayland_memory.sh [BUILD] [PROGRAM]   (defaults: build, BUILD/swoopy)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
program=$(realpath "${2:-$build/swoopy}")

. "$root/tests/e2e/wayland/lib.sh"
wl_start_compositor || e2e_fail "no compositor"
folder=$(wl_game_folder "$program" "$root/assets") || e2e_fail "cannot make the play folder"
wl_start "$folder"
wl_wait_window "Swoopy!" 15 || e2e_fail "no game window from $program: $(cat "$E2E_ERR")"
got=$(e2e_wait_pixel wl 850 480 "#FFFFFF" 10) || e2e_fail "no start screen: pixel 850,480 is $got"
sleep 1
pid=$(cat "$WL_GAME_PIDFILE")
grep -E '^Vm(RSS|HWM)' "/proc/$pid/status"
echo "resident kB by mapping (the ten largest):"
awk '/^[0-9a-f]+-/ { name = $6 } /^Rss:/ { rss[name == "" ? "[anon]" : name] += $2 }
     END { for (n in rss) printf "%8d %s\n", rss[n], n }' "/proc/$pid/smaps" | sort -rn | head -n 10
[ -n "${WL_MAPS_TO:-}" ] && cp "/proc/$pid/maps" "$WL_MAPS_TO"
kill -TERM "$pid"
e2e_wait_exit 10 >/dev/null
