#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native suite in
# the dev build and again under the address and undefined-behaviour
# sanitizers, the Debian package from the release build, a short run of each
# fuzz target, then the Windows build under Wine.
# QV_PRESETS="dev" limits the native builds (default "dev asan").
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --windows

jobs=$(nproc)
for preset in ${QV_PRESETS:-dev asan}; do
    echo "=== $preset ==="
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j "$jobs"
    # The soak runs alone, so that it does not compete with the other tests.
    ctest --preset "$preset" -j "$jobs" -LE soak
    ctest --preset "$preset" -L soak
done

echo "=== release: for the demo and the benchmarks; the Debian package, checked ==="
cmake --preset release
cmake --build --preset release -j "$jobs"
tools/check-package.sh

echo "=== fuzz (short runs; longer by hand: tools/fuzz.sh 3600) ==="
tools/fuzz.sh "${QV_FUZZ_SECONDS:-20}"

echo "=== Win32 (mingw-w64, under Wine) ==="
QV_PRESET=dev tools/mingw-tests.sh
