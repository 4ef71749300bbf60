#!/usr/bin/env bash
# The monitor writes nothing: runs the application for a while on the simulated
# server under strace, and fails if it opened any file for writing, or
# created, renamed, deleted or truncated one.
# Usage: no_write.sh MONITOR SIMSERVER [SECONDS]
set -euo pipefail
monitor=$1
simserver=$2
seconds=${3:-8}

command -v strace >/dev/null || { echo "strace is missing"; exit 1; }
work=$(mktemp -d)
sim_pid=""
cleanup() {
    [[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$simserver" --lines 0 "$work/prefix" >/dev/null
"$simserver" --rate 20 "$work/prefix" >/dev/null &
sim_pid=$!

# A home of its own, so that anything the program or its libraries would
# write there shows up too.
mkdir -p -m 700 "$work/home"
status=0
HOME="$work/home" XDG_RUNTIME_DIR="$work/home" WINEPREFIX="$work/prefix" \
    QT_QPA_PLATFORM=offscreen \
    timeout -s TERM "$seconds" \
    strace -f -qq -o "$work/trace" -e trace=%file,%desc "$monitor" || status=$?
# timeout's 124 is the expected end; anything else means the monitor failed.
if [[ $status -ne 124 ]]; then
    echo "the monitor ended on its own with status $status"
    exit 1
fi

writes=$(grep -E \
    '(open|openat|openat2)\(.*(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC).*\) += [0-9]|(^|[ ])(creat|rename|renameat|renameat2|unlink|unlinkat|truncate|ftruncate|mkdir|mkdirat|rmdir|link|linkat|symlink|symlinkat|mknod|mknodat)\(.*\) += 0' \
    "$work/trace" || true)
opened=$(grep -c -E 'open(at)?\(.*-(Activity|Debug)-[0-9]{6}\.log' "$work/trace" || true)
if [[ -n "$writes" ]]; then
    echo "The monitor wrote:"
    echo "$writes"
    exit 1
fi
if [[ "$opened" -eq 0 ]]; then
    echo "the trace shows no log opened: the monitor did not run as expected"
    exit 1
fi
echo "no write in $(wc -l <"$work/trace") traced calls; $opened opens of the logs"
