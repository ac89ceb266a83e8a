#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in their own build folder and runs each for a
# bounded time over seeds that it writes itself: the map document reader
# (mapfile) and the reader of "Map" clipboard data (mappaste).
#   tests/fuzz/run.sh [seconds]      (default 60, for each target)
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

# fuzz <folder> <target> <seed variable> <largest input>
fuzz() {
  clang++ -std=c++20 -g -O1 -fsanitize=fuzzer $sanitize -I"$src" \
    "$src/tests/fuzz/$1/$2.cpp" \
    "$libmap" "$libplatform" -Wl,-rpath,"$(dirname "$libmap")":"$(dirname "$libplatform")" \
    -o "$build/$2"
  corpus="$build/corpus/$1"
  mkdir -p "$corpus"
  env QT_QPA_PLATFORM=offscreen "$3=$corpus" "$build/$2"
  QT_QPA_PLATFORM=offscreen "$build/$2" -max_total_time="$seconds" \
    -max_len="$4" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$corpus"
}

fuzz mapfile map_reader_fuzz MAPFILE_FUZZ_SEEDS 65536
fuzz mappaste map_paste_fuzz MAPPASTE_FUZZ_SEEDS 16384
