# Sourced by scripts that must run something as an ordinary user, as players
# are. Run as root (as CI runs), the command runs as the user `nobody`
# (UNPRIVILEGED_USER to choose another); run as anyone else, it runs as is.
#
#   . scripts/unprivileged.sh
#   dir=$(unprivileged_copy PATH)    # PATH where the user can read and run it
#   run_unprivileged COMMAND [ARGS...]
#   unprivileged_cleanup             # removes the copies and the home
#
# The user gets a home of its own, a fresh folder under /tmp that it owns (mode
# 700), as HOME, TMPDIR and XDG_RUNTIME_DIR ($UNPRIVILEGED_HOME/run, mode 700),
# and starts in it; the rest of the environment (DISPLAY, WAYLAND_DISPLAY, ...)
# is passed on. As root the home is made when this file is sourced, so that
# command substitutions share it. A clone may lie where no other user may enter (/root is mode
# 700 on many hosts) and root's build trees are written by root alone. Rather
# than widen the permissions of the host's folders, unprivileged_copy gives the
# user a copy, in its home, of what the command needs, owned by the user, so it
# may also write there; it prints the copy's path. As an ordinary user nothing
# is copied and the path is printed as it was. The copies live until
# unprivileged_cleanup, which callers put in their EXIT trap.

UNPRIVILEGED_USER=${UNPRIVILEGED_USER:-nobody}
UNPRIVILEGED_HOME=${UNPRIVILEGED_HOME:-}

unprivileged_is_root() { [ "$(id -u)" -eq 0 ]; }

unprivileged_make_home() {
  [ -n "$UNPRIVILEGED_HOME" ] && [ -d "$UNPRIVILEGED_HOME" ] && return 0
  UNPRIVILEGED_HOME=$(mktemp -d /tmp/unprivileged.XXXXXX) || return 1
  mkdir -m 700 "$UNPRIVILEGED_HOME/run" || return 1
  chown -R "$UNPRIVILEGED_USER:$(id -gn "$UNPRIVILEGED_USER")" "$UNPRIVILEGED_HOME"
}

unprivileged_copy() {
  local src=$1
  if ! unprivileged_is_root; then
    echo "$src"
    return 0
  fi
  local dst
  dst=$(mktemp -d "$UNPRIVILEGED_HOME/copy.XXXXXX") || return 1
  cp -a "$src" "$dst/" || return 1
  chown -R "$UNPRIVILEGED_USER:$(id -gn "$UNPRIVILEGED_USER")" "$dst" || return 1
  echo "$dst/$(basename "$src")"
}

run_unprivileged() {
  if ! unprivileged_is_root; then
    "$@"
    return
  fi
  local home=$UNPRIVILEGED_HOME
  # No supplementary group of root's is kept; the user's own are.
  (cd "$home" && HOME=$home TMPDIR=$home XDG_RUNTIME_DIR=$home/run \
    setpriv --reuid="$(id -u "$UNPRIVILEGED_USER")" --regid="$(id -g "$UNPRIVILEGED_USER")" \
      --init-groups -- "$@")
}

unprivileged_cleanup() {
  if [ -n "$UNPRIVILEGED_HOME" ] && [ -d "$UNPRIVILEGED_HOME" ]; then
    rm -rf "$UNPRIVILEGED_HOME"
  fi
  UNPRIVILEGED_HOME=""
}

if unprivileged_is_root; then unprivileged_make_home; fi
