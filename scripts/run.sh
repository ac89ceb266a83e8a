#!/usr/bin/env bash
# Builds and starts the editor.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
build=$root/build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAP_BUILD_TESTS=OFF
cmake --build "$build"
if [ ! -x "$build/bin/Velkast" ]; then
  echo "The editor (Velkast) is not built yet: only the engine's libraries exist so far." >&2
  exit 1
fi
exec "$build/bin/Velkast" "$@"
