#!/bin/sh
# Cross-builds the core for Windows with mingw-w64 and runs its tests under
# Wine, in build/windows. Extra arguments go to ctest (e.g. -R Registry).
# Needs: cmake, g++-mingw-w64-x86-64-posix, wine (and wine64).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
    echo "windows-tests.sh: x86_64-w64-mingw32-g++-posix not found" \
        "(apt-get install g++-mingw-w64-x86-64-posix)" >&2
    exit 2
fi
if ! command -v wine >/dev/null 2>&1 && [ ! -x /usr/lib/wine/wine64 ]; then
    echo "windows-tests.sh: wine not found (apt-get install wine wine64)" >&2
    exit 2
fi

cmake --preset windows
cmake --build --preset windows -j2

status=0
ctest --preset windows "$@" || status=$?

# The tests' Wine session would linger a few seconds; end it now.
if command -v wineserver >/dev/null 2>&1; then
    wineserver=wineserver
else
    wineserver=/usr/lib/wine/wineserver
fi
WINEPREFIX="$root/build/windows/wineprefix" "$wineserver" -k >/dev/null 2>&1 || true

exit $status
