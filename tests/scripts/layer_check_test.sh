#!/usr/bin/env bash
# The layer check passes on this tree and fails, naming file and include, on
# a tree with one upward include planted in each guarded folder.
set -uo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
check="$src/scripts/check_layers.sh"
fail() { echo "FAIL: $*"; exit 1; }

"$check" "$src" >/dev/null || fail "the tree itself breaks a floor"

plant=$(mktemp -d)
trap 'rm -rf "$plant"' EXIT
cases=(
  "engine/kernel/a.cpp|engine/window/page.h"
  "engine/kernel/b.h|engine/editing/point_set.h"
  "tests/engine/kernel/c.cpp|engine/view/text/text_object.h"
  "platform/d.cpp|engine/kernel/bank.h"
  "engine/window/e.cpp|control/map_control.h"
  "modules/tm/f.cpp|editor/shell/main.h"
  "editor/shell/g.cpp|engine/map.h"
)
for c in "${cases[@]}"; do
  file=${c%%|*} include=${c##*|}
  rm -rf "${plant:?}"/*
  mkdir -p "$plant/$(dirname "$file")"
  printf '#include "platform/types.h"\n#include "%s"\n' "$include" >"$plant/$file"
  out=$("$check" "$plant" 2>&1) && fail "$file including $include passed"
  echo "$out" | grep -qF "$file:2:#include \"$include\"" || fail "no report naming $file and $include: $out"
done
# Includes that run down pass.
rm -rf "${plant:?}"/*
mkdir -p "$plant/engine/window" "$plant/engine/kernel"
printf '#include "engine/kernel/bank.h"\n#include "platform/types.h"\n' >"$plant/engine/window/h.cpp"
printf '#include "engine/kernel/coords.h"\n' >"$plant/engine/kernel/i.cpp"
"$check" "$plant" >/dev/null || fail "downward includes refused"
echo "layer check: every planted include refused, the tree clean"
