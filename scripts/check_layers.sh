#!/usr/bin/env bash
# Holds the floors of the tree: every #include runs down, never up.
#   scripts/check_layers.sh [root]     (default: this tree)
# Prints each include that breaks a rule, as file:line: include (rule), and
# fails when there is one.
#   engine/kernel/ (and its tests)  nothing of engine/view, window, polygon, editing, presentation
#   platform/                       nothing of engine/, control/, editor/
#   engine/, modules/               nothing of control/, editor/
#   editor/                         nothing of engine/, control/ (it reaches the control by automation)
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

status=0
# check FOLDER PATTERN RULE: includes in FOLDER whose quoted path matches PATTERN.
check() {
    local folder=$1 pattern=$2 rule=$3
    [ -d "$folder" ] || return 0
    local hits
    hits=$(grep -rnE --include='*.h' --include='*.cpp' --include='*.hpp' --include='*.cc' \
        "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($pattern)" "$folder")
    if [ -n "$hits" ]; then
        while IFS= read -r line; do
            echo "${line%%#*}$(echo "$line" | grep -oE '#[[:space:]]*include.*') ($rule)"
        done <<<"$hits"
        status=1
    fi
}

upper='engine/(view|window|polygon|editing|presentation)/'
check engine/kernel "$upper" "the kernel is the base of the engine"
check tests/engine/kernel "$upper" "the kernel's tests link the kernel alone"
check platform 'engine/|control/|editor/' "the platform layer knows nothing above it"
check engine 'control/|editor/' "the engine knows nothing of the control or the editor"
check modules 'control/|editor/' "outside modules know nothing of the control or the editor"
check editor 'engine/|control/' "the editor reaches the control only through automation"

if [ $status -ne 0 ]; then
    echo "layer check: includes above run up the floors" >&2
fi
exit $status
