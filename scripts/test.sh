#!/usr/bin/env bash
# The test command: installs what is missing, configures and builds
# everything (libraries, modules, tests, benchmarks) with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test with CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh

# The floors of the includes and the code format, before anything is built.
scripts/check_layers.sh
scripts/format.sh --check

build=${MAP_BUILD_DIR:-$root/build/test}
# ccache hits across clones in other folders: paths under the source tree
# are hashed relative to it, and the working folder is left out.
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS=include_file_mtime,include_file_ctime,time_macros
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DMAP_SANITIZE=ON
cmake --build "$build"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)
ctest --test-dir "$build" --output-on-failure -j "$jobs"

# The map reader's fuzz target, built with clang, for a bounded time.
tests/fuzz/run.sh "${MAP_FUZZ_SECONDS:-60}"
