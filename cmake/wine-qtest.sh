#!/bin/sh
# Runs a Qt Test program under Wine (cmake/wine-run.sh) and prints its log: on
# Windows, Qt Test sends what would go to stdout to the debugger instead.
# Usage: wine-qtest.sh <prefix directory> <test.exe> [arguments...]
set -u
prefix=$1
test=$2
shift 2
log=$(mktemp)
"$(dirname "$0")/wine-run.sh" "$prefix" "$test" -o "$log,txt" "$@"
status=$?
cat "$log"
rm -f "$log"
exit $status
