#!/usr/bin/env bash
# Cross-builds the whole monitor for Windows with mingw-w64, against Qt built
# from Debian's sources (tools/qt-mingw.sh, once per machine), runs its tests
# under Wine in build/mingw, makes the zip and checks it in a fresh prefix.
# Extra arguments go to ctest (e.g. -R Registry).
# Needs: cmake, g++-mingw-w64-x86-64-posix, wine (and wine64), xvfb, xdotool,
# and what tools/qt-mingw.sh lists.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source cmake/wine-common.sh

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
    echo "mingw-tests.sh: x86_64-w64-mingw32-g++-posix not found" \
        "(apt-get install g++-mingw-w64-x86-64-posix)" >&2
    exit 2
fi
qv_wine_find || exit 2

qt_status=0
tools/qt-mingw.sh >/dev/null || qt_status=$?
app=ON
QV_QT_MINGW=
if [[ $qt_status -eq 0 ]]; then
    QV_QT_MINGW=$(tools/qt-mingw.sh --print-prefix)
elif [[ $qt_status -eq 3 ]]; then
    echo "mingw-tests.sh: SKIPPED the Windows application (UI tests, end-to-end, zip):" \
        "Debian's qt6-base sources could not be fetched to build Qt for Windows;" \
        "the core's Windows tests still run" >&2
    app=OFF
else
    exit "$qt_status"
fi
export QV_QT_MINGW

# The two stores agree (ctest's cross_store): Windows programs write into a
# prefix and the native build's tests read what they left. Those come from the
# native build that tools/test.sh has made by now (or from QV_NATIVE_DIR); run
# alone, this script makes that one target.
status=0
native_preset=${QV_PRESET:-dev}
native_dir=${QV_NATIVE_DIR:-"$root/build/$native_preset"}
if [[ ! -f $native_dir/CMakeCache.txt ]] && ! cmake --preset "$native_preset" >/dev/null; then
    echo "mingw-tests.sh: cross-store tests skipped: the native build does not configure" \
        "in $native_dir" >&2
    native_dir=
elif ! cmake --build "$native_dir" --target cross_store_tests -j2; then
    status=1
    native_dir=
fi

cmake --preset mingw -DQV_BUILD_UI=$app -DQV_NATIVE_DIR="$native_dir"
cmake --build --preset mingw -j2
ctest --preset mingw "$@" || status=$?

# The zip a Windows user unpacks, checked in a prefix of its own.
if [[ $app == ON ]]; then
    rm -f build/mingw/package/QVActivityMonitor-*-win64.zip
    (cd build/mingw && cpack -G ZIP >/dev/null) || status=1
    zips=(build/mingw/package/QVActivityMonitor-*-win64.zip)
    if [[ ! -f ${zips[0]} ]]; then
        echo "mingw-tests.sh: cpack made no zip" >&2
        status=1
    else
        echo "Zip: ${zips[0]} ($(du -h "${zips[0]}" | cut -f1))"
        tools/win-zip-check.sh "${zips[0]}" build/mingw/ui/ui_tests.exe "$QV_QT_MINGW" \
            ${QV_SCREENSHOT:+"$QV_SCREENSHOT"} || status=1
    fi
fi

exit "$status"
