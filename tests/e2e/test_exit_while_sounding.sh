#!/usr/bin/env bash
# Closing the game while its sounds keep reporting their ends, many times in a
# row with every core busy: every run ends with exit code 0. Every other run
# starts without intro.txt, so an error box opens and closes on the way, too.
#   test_exit_while_sounding.sh PROGRAM ASSETS [ROUNDS]
set -uo pipefail
. "$(dirname "$0")/lib.sh"

e2e_begin "$@"
rounds=${3:-20}

# An intro song one sample long: it ends in every block the sound device asks
# for, and the loop plays it again, so its end is reported dozens of times a second.
python3 - "$work/run/introsong.wav" <<'PY' || e2e_fail "cannot write the short intro song"
import struct, sys
data = struct.pack("<h", 1000)
fmt = struct.pack("<HHIIHH", 1, 1, 22050, 44100, 2, 16)
with open(sys.argv[1], "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<I", len(fmt)) + fmt)
    f.write(b"data" + struct.pack("<I", len(data)) + data)
PY

# One busy loop per core for the whole test.
burners=()
stop_burners() {
  local pid
  for pid in "${burners[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  burners=()
}
for _ in $(seq 1 "$(nproc)"); do
  (while :; do :; done) &
  burners+=($!)
done
trap 'status=$?; stop_burners; (exit "$status"); e2e_cleanup' EXIT

for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) -eq 0 ]; then
    mv "$work/run/intro.txt" "$work/intro.txt"
    e2e_start "$work/run" "$program"
    box=$(e2e_wait_window "swoopy" 20) || e2e_fail "round $round: no error box for the missing introduction"
    e2e_key "$box" Return
    mv "$work/intro.txt" "$work/run/intro.txt"
  else
    e2e_start "$work/run" "$program"
  fi
  wid=$(e2e_wait_window "Swoopy!" 20) || e2e_fail "round $round: the game window did not appear"
  # Close at a different moment of the sound's cycle each time.
  sleep "0.$((round * 37 % 10))"
  e2e_close "$wid" || e2e_fail "round $round: could not send the close request"
  e2e_wait_exit 20
  e2e_expect_eq "round $round: exit code after the close box" 0 "$?"
done

e2e_finish
