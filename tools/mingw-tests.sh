#!/bin/sh
# Cross-builds the whole monitor for Windows with mingw-w64, against Qt built
# from Debian's sources (tools/qt-mingw.sh, once per machine), runs its tests
# under Wine in build/mingw, makes the zip and checks it in a fresh prefix.
# Extra arguments go to ctest (e.g. -R Registry).
# Needs: cmake, g++-mingw-w64-x86-64-posix, wine (and wine64), xvfb, xdotool,
# and what tools/qt-mingw.sh lists.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
    echo "mingw-tests.sh: x86_64-w64-mingw32-g++-posix not found" \
        "(apt-get install g++-mingw-w64-x86-64-posix)" >&2
    exit 2
fi
if ! command -v wine >/dev/null 2>&1 && [ ! -x /usr/lib/wine/wine64 ]; then
    echo "mingw-tests.sh: wine not found (apt-get install wine wine64)" >&2
    exit 2
fi

qt_status=0
qt_out=$(tools/qt-mingw.sh) || qt_status=$?
QV_QT_MINGW=$(printf '%s\n' "$qt_out" | tail -n 1)
export QV_QT_MINGW
app=ON
if [ "$qt_status" -eq 3 ]; then
    echo "mingw-tests.sh: SKIPPED the Windows application (UI tests, end-to-end, zip):" \
        "Debian's qt6-base sources could not be fetched to build Qt for Windows;" \
        "the core's Windows tests still run" >&2
    app=OFF
elif [ "$qt_status" -ne 0 ]; then
    exit "$qt_status"
fi
cmake --preset mingw -DQV_BUILD_UI=$app
cmake --build --preset mingw -j2

status=0
ctest --preset mingw "$@" || status=$?

# The zip a Windows user unpacks, checked in a prefix of its own.
if [ "$app" = ON ]; then
    (cd build/mingw && cpack -G ZIP >/dev/null) || status=1
    zip=$(ls build/mingw/package/QVActivityMonitor-*-win64.zip 2>/dev/null | head -n 1)
    if [ -z "$zip" ]; then
        echo "mingw-tests.sh: cpack made no zip" >&2
        status=1
    else
        echo "Zip: $zip ($(du -h "$zip" | cut -f1))"
        tools/win-zip-check.sh "$zip" build/mingw/ui/ui_tests.exe "$QV_QT_MINGW" \
            ${QV_SCREENSHOT:+"$QV_SCREENSHOT"} || status=1
    fi
fi

if command -v wine >/dev/null 2>&1; then
    wine=$(command -v wine)
else
    wine=/usr/lib/wine/wine64
fi
if command -v wineserver >/dev/null 2>&1; then
    wineserver=$(command -v wineserver)
else
    wineserver=/usr/lib/wine/wineserver
fi

# The two stores agree: Windows programs write into a fresh prefix of its own,
# and the native build reads what they left. Its tests are native ones, from
# the native build that tools/test.sh has made by now (or from QV_NATIVE_DIR);
# run alone, this script makes that one target. Wine's output goes to a file: a
# lingering wineserver must not hold our pipes.
native_preset=${QV_PRESET:-dev}
native_dir=${QV_NATIVE_DIR:-"$root/build/$native_preset"}
cross_prefix="$root/build/mingw/cross-prefix"
helpers="$root/build/mingw/activity/tests"
if [ ! -f "$native_dir/CMakeCache.txt" ] && ! cmake --preset "$native_preset" >/dev/null; then
    echo "mingw-tests.sh: cross-store tests skipped: the native build does not configure" \
        "in $native_dir" >&2
elif ! cmake --build "$native_dir" --target cross_store_tests -j2; then
    status=1
else
    WINEPREFIX="$cross_prefix" "$wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$cross_prefix"
    echo "Cross-store tests: making a Wine prefix in $cross_prefix"
    if WINEPREFIX="$cross_prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= \
        LC_ALL=C.UTF-8 \
        timeout 300 "$wine" wineboot.exe -i </dev/null >"$cross_prefix.log" 2>&1 &&
        WINEPREFIX="$cross_prefix" timeout 120 "$wineserver" -w; then
        QV_CROSS_PREFIX="$cross_prefix" QV_WINE="$wine" QV_WINESERVER="$wineserver" \
            QV_CROSS_PROBE="$helpers/win_registry_probe.exe" \
            timeout 600 "$native_dir/activity/tests/cross_store_tests" || status=1
    else
        echo "mingw-tests.sh: wineboot failed in $cross_prefix (see $cross_prefix.log)" >&2
        status=1
    fi
    WINEPREFIX="$cross_prefix" "$wineserver" -k >/dev/null 2>&1 || true
fi

# The tests' Wine session would linger a few seconds; end it now.
WINEPREFIX="$root/build/mingw/wineprefix" "$wineserver" -k >/dev/null 2>&1 || true

exit $status
