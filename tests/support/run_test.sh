#!/usr/bin/env bash
# Runs one test program for CTest. The leak checker that runs at the exit of
# every sanitized program now and then crashes by itself on a loaded machine
# ("Tracer caught signal 11", "LeakSanitizer has encountered a fatal
# error") after every test has passed: that one failure of the tool, and no
# other, runs the program once more. Test failures and leaks are reported
# as they are.
set -uo pipefail
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$@" >"$out" 2>&1
rc=$?
if [ $rc -ne 0 ] && grep -q 'LeakSanitizer has encountered a fatal error' "$out" &&
  ! grep -q 'ERROR: LeakSanitizer: detected memory leaks' "$out" &&
  ! grep -q '^\[  FAILED  \]' "$out"; then
  cat "$out"
  echo "run_test.sh: the leak checker itself failed; running the program again"
  "$@" >"$out" 2>&1
  rc=$?
fi
cat "$out"
exit $rc
