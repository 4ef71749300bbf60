#!/usr/bin/env bash
# Memory of the real monitor when all seven logs burst at once: N lines per
# component (default 300,000, about 85 bytes each) appended between two ticks,
# measured from outside the process (VmRSS) once it has listed them and gone
# quiet. A figure, not a test.
# Usage: burst-bench.sh [LINES]   (after the release build)
set -euo pipefail
cd "$(dirname "$0")/.."

lines=${1:-300000}
sim=build/release/sim/qv-simserver
app=build/release/ui/QVActivityMonitor
work=$(mktemp -d)
pid=
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

# The burst, made beforehand in a prefix of its own so that appending it is
# only a copy; the monitor watches a second prefix with the same folders.
"$sim" --seed 1 --rate 0 --lines "$lines" "$work/burst" >/dev/null 2>&1
"$sim" --seed 1 --lines 0 "$work/watched" >/dev/null 2>&1

rss() { awk '/^VmRSS/ { print $2 * 1024 }' "/proc/$pid/status"; }
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
# Until the process has used no processor time for two seconds (at most 120 s).
quiet() {
    local last now
    last=$(cpu)
    for _ in $(seq 60); do
        sleep 2
        now=$(cpu)
        [[ $now == "$last" ]] && return 0
        last=$now
    done
}

QT_QPA_PLATFORM=offscreen "$app" --wine-prefix "$work/watched" 2>/dev/null &
pid=$!
quiet
before=$(rss)
start=$(date +%s%N)
bytes=0
while IFS= read -r -d '' log; do
    rel=${log#"$work/burst/"}
    mkdir -p "$(dirname "$work/watched/$rel")"
    cat "$log" >>"$work/watched/$rel"
    bytes=$((bytes + $(stat -c %s "$log")))
done < <(find "$work/burst/drive_c" -type f -name '*.log' -print0)
copied=$((($(date +%s%N) - start) / 1000000))
quiet
after=$(rss)
awk -v b="$before" -v a="$after" -v t="$bytes" -v ms="$copied" -v n="$lines" 'BEGIN {
    printf "burst: 7 x %d lines, %.0f MiB of log appended in %d ms\n", n, t / 1048576, ms
    printf "monitor RSS: %.0f MiB before, %.0f MiB after: +%.0f MiB, %.2fx the log bytes\n",
        b / 1048576, a / 1048576, (a - b) / 1048576, (a - b) / t }'
