#!/usr/bin/env bash
# Fails when a C++ file of the tree is not as clang-format (with the tree's
# .clang-format) would write it; prints what it would change.
#   scripts/check_format.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find src tests tools bench fuzz -name '*.cpp' -o -name '*.h')
fi
clang-format --dry-run --Werror "${files[@]}"
