#!/usr/bin/env bash
# The test command: installs what is missing, configures and builds
# everything (libraries, modules, tests, benchmarks) twice, and runs every
# test with CTest on both builds:
#   - the sanitizer build: AddressSanitizer and UndefinedBehaviorSanitizer,
#     which catch memory faults, leaks and undefined behaviour;
#   - the optimised build: Release flags of the compiler users have, without
#     sanitizers, as scripts/run.sh gives it to users. Optimisers act on
#     undefined or unsequenced code in ways the sanitizer build hides, so a
#     test that passes only there proves nothing about the program users run.
#     The user scenarios (tests/editor/scenarios) run on this build.
# Both builds treat warnings as errors. The fuzz targets run once, afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh

# The floors of the includes and the code format, before anything is built.
scripts/check_layers.sh
scripts/format.sh --check

sanitized=${MAP_BUILD_DIR:-$root/build/test}
optimised=${MAP_RELEASE_BUILD_DIR:-$root/build/test-release}
# ccache hits across clones in other folders: paths under the source tree
# are hashed relative to it, and the working folder is left out.
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS=include_file_mtime,include_file_ctime,time_macros
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-10G}

started=$SECONDS
cmake -S . -B "$sanitized" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DMAP_SANITIZE=ON -DMAP_WERROR=ON
cmake --build "$sanitized"
cmake -S . -B "$optimised" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DMAP_SANITIZE=OFF -DMAP_WERROR=ON
cmake --build "$optimised"
echo "test.sh: both builds took $((SECONDS - started)) s"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)
status=0
for build in "$sanitized" "$optimised"; do
  started=$SECONDS
  echo "test.sh: tests of $build"
  ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=1
  echo "test.sh: tests of $build took $((SECONDS - started)) s"
done
[ $status -eq 0 ] || exit $status

# The map reader's fuzz target, built with clang, for a bounded time.
tests/fuzz/run.sh "${MAP_FUZZ_SECONDS:-60}"
