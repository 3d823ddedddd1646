# Sourced by the scripts that need an X server: without a usable display
# ensure_display starts one Xvfb, and stop_display stops it again;
# window_named TITLE waits up to 10 s for a shown window of that exact title and
# prints its id (nothing when none came).
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  # -noreset: by default the server resets whenever its last client leaves, and a
  # program that connects during the reset fails to open the display.
  # The server picks a free display itself and names it once it listens, so
  # scripts started side by side never share or race for a display number.
  local numfile
  numfile=$(mktemp)
  # Large enough for the game's window at presentation scale 2.
  Xvfb -displayfd 3 -screen 0 2800x1600x24 -nolisten tcp -noreset 3>"$numfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 1 200); do [ -s "$numfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(tr -dc 0-9 <"$numfile")"
  rm -f "$numfile"
}

stop_display() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}

window_named() {
  local id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}
