#!/bin/sh
# Builds the map reader's fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in its own build folder and runs it for a
# bounded time over seed documents that it writes itself.
#   tests/fuzz/run.sh [seconds]      (default 60)
set -eu
seconds=${1:-60}
src=$(cd "$(dirname "$0")/../.." && pwd)
build="$src/build/fuzz"
jobs=${FUZZ_JOBS:-4}

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $sanitize" \
  -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" \
  -DMAP_BUILD_TESTS=OFF -DMAP_BUILD_BENCH=OFF -DMAP_WERROR=OFF >/dev/null
cmake --build "$build" --target map platform -j"$jobs"

libmap=$(find "$build" -name 'libmap.so' | head -n 1)
libplatform=$(find "$build" -name 'libplatform.so' | head -n 1)
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer $sanitize -I"$src" \
  "$src/tests/fuzz/mapfile/map_reader_fuzz.cpp" \
  "$libmap" "$libplatform" -Wl,-rpath,"$(dirname "$libmap")":"$(dirname "$libplatform")" \
  -o "$build/map_reader_fuzz"

corpus="$build/corpus/mapfile"
mkdir -p "$corpus"
QT_QPA_PLATFORM=offscreen MAPFILE_FUZZ_SEEDS="$corpus" "$build/map_reader_fuzz"
QT_QPA_PLATFORM=offscreen "$build/map_reader_fuzz" -max_total_time="$seconds" \
  -max_len=65536 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$corpus"
