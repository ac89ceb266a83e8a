#!/usr/bin/env bash
# Builds the benchmarks optimised and without sanitizers, and runs them all
# (or those named: scripts/bench.sh kernel lines).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
build=$root/build/bench
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAP_BUILD_TESTS=OFF
cmake --build "$build"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for b in "$build"/bench/*/; do n=$(basename "$b"); [ -x "$b/$n" ] && names+=("$n"); done
fi
for n in "${names[@]}"; do
  echo "== $n"
  "$build/bench/$n/$n"
done
