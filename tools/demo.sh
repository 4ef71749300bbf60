#!/usr/bin/env bash
# A first look without a mail server: installs what is missing, builds, starts
# the simulated server in a temporary Wine-style prefix and opens the monitor
# on it. Closing the monitor stops the simulator and removes the prefix.
# Arguments go to the simulator, e.g. tools/demo.sh --rate 10
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target QVActivityMonitor qv-simserver

prefix=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-demo.XXXXXX")
server=""
cleanup() {
    if [[ -n "$server" ]]; then
        kill -TERM "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf -- "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# The monitor reads the settings once, as it starts: make them first.
build/release/sim/qv-simserver --lines 0 "$prefix"
build/release/sim/qv-simserver "$@" "$prefix" &
server=$!
WINEPREFIX="$prefix" build/release/ui/QVActivityMonitor
