#!/usr/bin/env bash
# Runs a Qt Test program under Wine (cmake/wine-run.sh) and prints its log: on
# Windows, Qt Test sends what would go to stdout to the debugger instead.
# Usage: wine-qtest.sh PREFIX TEST.exe [ARGS...]
set -euo pipefail
prefix=$1
test=$2
shift 2
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
"$(dirname "$0")/wine-run.sh" "$prefix" "$test" -o "$log,txt" "$@" || status=$?
cat "$log"
exit "$status"
