#!/usr/bin/env bash
# Builds what is missing and starts the editor; arguments go to Velkast
# (a map document to open, "id=<identifier>", --exit-after-first-paint).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
build=$root/build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAP_BUILD_TESTS=OFF
cmake --build "$build"
exec "$build/bin/Velkast" "$@"
