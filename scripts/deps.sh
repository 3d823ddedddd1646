#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, but only when some are missing.
set -euo pipefail
need=(build-essential cmake pkg-config
      libsdl2-dev libx11-dev libxdamage-dev libcairo2-dev libpango1.0-dev libjpeg62-turbo-dev
      libsndfile1-dev libsamplerate0-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      fonts-paratype fonts-liberation fonts-dejavu-core fontconfig
      xvfb openbox xdotool x11-utils imagemagick sox python3
      sway wtype grim wl-clipboard libwayland-dev
      dpkg-dev file desktop-file-utils appstream lintian clang-format)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
