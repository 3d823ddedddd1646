# Sourced by the scripts that need an X server: without a usable display one
# Xvfb is started on a free display number and stopped when the script exits.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local disp="" n
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { disp=":$n"; break; }
  done
  Xvfb "$disp" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=$disp
  trap '[ -n "${XVFB_PID:-}" ] && kill $XVFB_PID 2>/dev/null' EXIT
  for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
}
