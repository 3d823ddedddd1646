#!/usr/bin/env bash
# On Wayland, a bonus round bought and played with real clicks: "Bonus 50$" in
# the shop brings the grey cover with the five pictures over the playfield, a
# click on the first (the green one, wherever the round put it) takes it away
# while the round goes on, and the countdown then ends the round.
#   test_bonus.sh PROGRAM ASSETS
# The program run is the play probe built beside PROGRAM: the game as the player
# runs it, but starting with coins and lives. Earning the offer's 50 coins in a
# real minute of play depends on how the movers happen to run, so the game
# itself would reach the offer only now and then.
# The round lasts some two and a half seconds of countdown ticks, less than a
# screenshot, the search for the picture and a click take on a busy machine:
# the test would click after the round. So the probe holds the countdown still
# while a file of the test's exists, and the test lets it go once it has looked
# and clicked.
set -uo pipefail
. "$(dirname "$0")/lib.sh"

wl_begin "$@"
folder=$(wl_probe_folder) || e2e_fail "cannot make the probe's play folder"

offer=(944 320 115 29)   # "Bonus 50$": white text on the shop's dark button
# A point of a tile outline below the pictures' reach: grey under the cover
# alone, black or a mover's colour without it (a tile may turn grey itself).
cover=(65 500)

# green_spot SHOT: prints "COUNT X Y": how many pixels of the playfield show the
# first picture's bright green, and the middle of a patch of it whose 15 x 15
# surroundings are all green (a point where no later picture covers it) away
# from the texts above the pictures, or "COUNT - -".
green_spot() {
  convert "$1" -alpha off -crop 889x513+0+0 +repage -depth 8 ppm:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace(): pos += 1
    end = pos
    while not data[end:end + 1].isspace(): end += 1
    fields.append(data[pos:end]); pos = end
w, h = int(fields[1]), int(fields[2])
px = data[pos + 1:]
green = bytearray(w * h)
for i in range(w * h):
    r, g, b = px[3 * i], px[3 * i + 1], px[3 * i + 2]
    green[i] = r < 90 and g > 180 and b < 90
n = sum(green)
# The lives text and the countdown lie above the pictures and take their clicks.
for left, top, right, bottom in ((326, 20, 571, 61), (348, 436, 513, 505)):
    for y in range(top, bottom):
        green[y * w + left:y * w + right] = bytes(right - left)
for y in range(7, h - 7):
    for x in range(7, w - 7):
        if green[y * w + x] and all(all(green[(y + dy) * w + x - 7:(y + dy) * w + x + 8]) for dy in range(-7, 8)):
            print(n, x, y)
            sys.exit()
print(n, "-", "-")
'
}

# The probe starts with 100 coins, so the offer shows from the first offers tick
# on, and with lives to spare, so the game runs on however the movers go.
hold="$folder/hold"
touch "$hold"
export PLAY_PROBE_MONEY=100 PLAY_PROBE_LIVES=1000 PLAY_PROBE_BONUS_HOLD=$hold
wl_play "$folder" "Bo"

end=$((SECONDS + 30))
while :; do
  wl_screenshot "$work/shop.png"
  read -r n _ < <(e2e_pixels_in "$work/shop.png" "${offer[@]}" 230 255)
  [ "$n" -gt 40 ] && break
  [ $SECONDS -ge $end ] && e2e_fail "no \"Bonus 50\$\" offer in the shop after 30 s"
  sleep 0.2
done

wl_click $((offer[0] + 40)) $((offer[1] + 14))
wl_move 1060 590
got=$(e2e_wait_pixel wl "${cover[@]}" "#C0C0C0" 30) || e2e_fail "no bonus round 30 s after the click on the offer: pixel ${cover[0]},${cover[1]} is $got"
wl_screenshot "$work/round.png"
read -r count x y < <(green_spot "$work/round.png")
[ "$x" != - ] || e2e_fail "no uncovered patch of the first picture on the cover ($count green pixels)"
# No picture reaches the cover's bottom rows.
for p in "5 505" "880 505"; do
  e2e_expect_eq "the grey cover at $p" "#C0C0C0" "$(e2e_pixel "$work/round.png" $p)"
done
wl_click "$x" "$y"
wl_move 1060 590

# The picture goes at the click, and the round goes on: the cover is still there.
end=$((SECONDS + 30))
while :; do
  wl_screenshot "$work/after.png"
  read -r left _ _ < <(green_spot "$work/after.png")
  [ "$left" -lt 20 ] && break
  [ $SECONDS -ge $end ] && e2e_fail "the first picture still shows 30 s after the click on it ($left green pixels)"
  sleep 0.1
done
e2e_expect_eq "the grey cover after the click" "#C0C0C0" "$(e2e_pixel "$work/after.png" "${cover[@]}")"

# Let go, the countdown runs out and takes the cover away.
rm -f "$hold"
got=$(e2e_wait_pixel_change wl "${cover[@]}" "#C0C0C0" 30) || e2e_fail "the bonus round still shows 30 s after its countdown was let go"

wl_close
e2e_wait_exit 60
e2e_expect_eq "exit code after the close request" 0 "$?"
# The round ended by its countdown, which runs below 0 in 22 ticks of 14.
ticks=$(sed -n 's/^bonus ticks: //p' "$E2E_OUT")
e2e_expect_eq "bonus ticks, at least 22" yes "$([ "${ticks:-0}" -ge 22 ] && echo yes || echo "no, ${ticks:-none}")"
e2e_finish
