#!/usr/bin/env bash
# Installs what is missing, builds, and opens the monitor on the Wine prefix
# in $WINEPREFIX (default ~/.wine). Arguments go to the monitor, e.g.
# tools/run.sh --wine-prefix /srv/mailserver/.wine
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target QVActivityMonitor
exec build/release/ui/QVActivityMonitor "$@"
