#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native build,
# then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --windows

preset="${QV_PRESET:-dev}"
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"

if [[ -x tools/windows-tests.sh ]]; then
    tools/windows-tests.sh
fi
