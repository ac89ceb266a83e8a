#!/usr/bin/env bash
# Runs a test program (or Velkast's measuring start) many times on a loaded
# machine and counts the failures: one busy process per core runs beside it
# for the whole time, started here and stopped by its process id when the
# script ends (also on Ctrl+C).
#
#   scripts/stress_test.sh PROGRAM RUNS [GTEST_FILTER]
#       PROGRAM is a path, or the name of a program in build/rel/bin (or the
#       build folder that BUILD_DIR names). Each run is one start of the
#       program, with the filter when given, under QT_QPA_PLATFORM=offscreen.
#   scripts/stress_test.sh --velkast VELKAST RUNS
#       Each run starts VELKAST --exit-after-first-paint under xvfb-run -a
#       (the X platform), in folders of its own (MAP_REGISTRY_DIR,
#       MAP_PROFILE_DIR, MAP_EDITOR_FOLDERS_DIR); a run passes when the
#       program exits with 0 and printed its "startup-pause-ms" line. With
#       EDITOR_FOLDERS=home the editor's folders variable is left unset and
#       HOME points into the run's folder instead, so that the editor makes
#       its folders where a user's would be.
#
# Environment: PARALLEL=N runs N starts at once (default 1); HOGS=N busy
# processes (default: the number of cores); RUN_TIMEOUT=seconds a run may
# take before it counts as failed (default 300). Logs of failed runs are
# kept in a temporary folder that the summary names.
# Prints one line per failure and a summary; exits 1 when a run failed, 2
# on bad usage.
set -uo pipefail

usage() {
    sed -n '2,26p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

mode=test
if [ "${1:-}" = "--velkast" ]; then
    mode=velkast
    shift
fi
[ $# -ge 2 ] || usage
program=$1
runs=$2
filter=${3:-}
[[ $runs =~ ^[0-9]+$ ]] && [ "$runs" -gt 0 ] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -x "$program" ]; then
    candidate=${BUILD_DIR:-$root/build/rel}/bin/$program
    [ -x "$candidate" ] || { echo "no program $program (nor $candidate)" >&2; exit 2; }
    program=$candidate
fi
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
if [ $mode = velkast ] && ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is missing" >&2
    exit 2
fi

parallel=${PARALLEL:-1}
hogs=${HOGS:-$(nproc)}
run_timeout=${RUN_TIMEOUT:-300}
logs=$(mktemp -d "${TMPDIR:-/tmp}/stress.XXXXXX")

hog_pids=()
batch=()
stop_hogs() {
    local pid
    # Runs under way when the script is stopped end with it.
    for pid in "${batch[@]}"; do
        pkill -TERM -P "$pid" 2>/dev/null
        kill "$pid" 2>/dev/null
    done
    for pid in "${hog_pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${hog_pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    hog_pids=()
}
trap 'stop_hogs' EXIT
trap 'exit 130' INT TERM
for ((i = 0; i < hogs; i++)); do
    (while :; do :; done) &
    hog_pids+=($!)
done

# One run; its log goes to $logs/run-N.log, kept when it fails.
run_once() {
    local n=$1 log=$logs/run-$1.log status
    if [ $mode = velkast ]; then
        local home
        home=$(mktemp -d "$logs/home-$n.XXXXXX")
        local folders=(MAP_EDITOR_FOLDERS_DIR="$home/folders")
        [ "${EDITOR_FOLDERS:-}" = home ] && folders=(HOME="$home" XDG_CONFIG_HOME="$home/.config"
            XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache")
        env -u MAP_EDITOR_FOLDERS_DIR "${folders[@]}" MAP_REGISTRY_DIR="$home/registry" \
            MAP_PROFILE_DIR="$home/profiles" QT_QPA_PLATFORM=xcb \
            timeout -k 10 "$run_timeout" xvfb-run -a "$program" --exit-after-first-paint >"$log" 2>&1
        status=$?
        if [ $status -eq 0 ] && ! grep -qE '^startup-pause-ms [0-9]+\.[0-9]$' "$log"; then
            status=3 # no pause line
        fi
        rm -rf "$home"
    else
        local args=()
        [ -n "$filter" ] && args=("--gtest_filter=$filter")
        QT_QPA_PLATFORM=offscreen timeout -k 10 "$run_timeout" "$program" "${args[@]}" >"$log" 2>&1
        status=$?
    fi
    if [ $status -eq 0 ]; then
        rm -f "$log"
    else
        echo "run $n failed (exit $status), log: $log"
    fi
    return $status
}

echo "$(basename "$program") ${filter:+($filter) }$mode: $runs runs, $parallel at once, $hogs busy processes"
failures=0
started=$(date +%s)
next=1
while [ $next -le "$runs" ]; do
    batch=()
    for ((j = 0; j < parallel && next <= runs; j++, next++)); do
        run_once $next &
        batch+=($!)
    done
    for pid in "${batch[@]}"; do
        wait "$pid" || failures=$((failures + 1))
    done
done
load=$(cut -d' ' -f1-3 /proc/loadavg)
echo "runs $runs, failures $failures, $(($(date +%s) - started)) s, load average at the end $load"
[ $failures -eq 0 ] && rmdir "$logs" 2>/dev/null
[ $failures -eq 0 ]
