#!/usr/bin/env bash
# Formats every C++ file of the tree with the root .clang-format.
#   scripts/format.sh            formats in place
#   scripts/format.sh --check    lists unformatted files and fails, changing nothing
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
