#!/usr/bin/env bash
# Builds the test programs that run the drawing thread (the control's
# drawing worker and the engine's threaded paint) and the GPS port monitor's
# reader with ThreadSanitizer (in build/tsan) and runs their threaded tests.
# Not part of the test command: ThreadSanitizer needs a build of its own.
# Races it cannot judge inside Qt (not built with it) are suppressed by
# tests/support/tsan.supp, which says why for each; the run stops at the
# first other report. TSAN_RUNS=n runs the tests n times over (default 1),
# for reports that come only now and then.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build/tsan
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" -DMAP_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"${TSAN_JOBS:-6}" --target test_engine_window test_engine_view_viewrecord test_engine_window_settings test_control
# The longest history, so that the earlier access of a report is restored
# and can be matched against the suppressions.
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 history_size=7 suppressions=$root/tests/support/tsan.supp"
runs=${TSAN_RUNS:-1}
for ((run = 1; run <= runs; run++)); do
  [ "$runs" -gt 1 ] && echo "tsan: run $run of $runs"
  "$build/bin/test_engine_window" --gtest_filter='*Thread*'
  "$build/bin/test_engine_view_viewrecord" --gtest_filter='*Thread*'
  "$build/bin/test_engine_window_settings" --gtest_filter='*Thread*'
  # The painting tests: the three roads, two quick paints and a stopped
  # paint on the control's drawing worker, and the control destroyed while
  # its worker draws.
  "$build/bin/test_control" --gtest_filter='Painting*'
done
