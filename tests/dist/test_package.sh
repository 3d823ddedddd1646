#!/usr/bin/env bash
# The Debian package: cpack builds it from the build folder, dpkg-shlibdeps fills
# in the libraries it needs, it holds the program, the data, the menu entry,
# the icons, the AppStream file and the manual page at their places, and lintian
# finds neither error nor warning in it.
#   test_package.sh BUILD
set -uo pipefail
build=$(realpath "${1:?usage: test_package.sh BUILD}")
out=$(mktemp -d "${TMPDIR:-/tmp}/package.XXXXXX")
trap 'rm -rf "$out"' EXIT
failures=0
expect() {   # WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "package: $1: expected '$2', got '$3'" >&2
    failures=$((failures + 1))
  fi
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log" >&2; exit 1; }
deb=$(ls "$out"/*.deb 2>/dev/null)
[ -f "$deb" ] || { echo "package: no .deb in $out" >&2; exit 1; }

expect "package name" swoopy "$(dpkg-deb --field "$deb" Package)"
expect "section" games "$(dpkg-deb --field "$deb" Section)"
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libc6 libsdl2-2.0-0 libcairo2 libpango-1.0-0 libjpeg62-turbo libstdc++6 fonts-paratype fonts-liberation; do
  tr ',' '\n' <<<"$depends" | awk '{ print $1 }' | grep -qxF "$lib" || expect "Depends names $lib" yes "no: $depends"
done

contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
id=$(echo "$contents" | sed -n 's|^\./usr/share/applications/\(.*\)\.desktop$|\1|p')
[ -n "$id" ] || expect "a desktop file in /usr/share/applications" present missing
wanted=(./usr/bin/swoopy ./usr/share/applications/"$id".desktop ./usr/share/metainfo/"$id".metainfo.xml
        ./usr/share/man/man6/swoopy.6.gz ./usr/share/doc/swoopy/copyright ./usr/share/doc/swoopy/changelog.gz)
for name in intro.txt scores.txt introsong.wav gamemusic.wav click.wav bonusclick.wav bonus.wav alarm.wav; do
  wanted+=(./usr/share/games/swoopy/"$name")
done
for size in 16 24 32 48 64 128 256; do
  wanted+=(./usr/share/icons/hicolor/"${size}x${size}"/apps/"$id".png)
done
for path in "${wanted[@]}"; do
  grep -qxF "$path" <<<"$contents" || expect "$path in the package" present missing
done
expect "program's mode" "-rwxr-xr-x" "$(dpkg-deb --contents "$deb" | awk '$NF == "./usr/bin/swoopy" { print $1 }')"

if lintian --fail-on error,warning "$deb" >"$out/lintian.log" 2>&1; then :; else
  cat "$out/lintian.log" >&2
  expect "lintian's verdict" "no error or warning" "$(grep -cE '^[EW]: ' "$out/lintian.log") errors and warnings"
fi

[ "$failures" -eq 0 ] || { echo "package: $failures expectation(s) failed" >&2; exit 1; }
