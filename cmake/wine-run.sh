#!/usr/bin/env bash
# Runs a Windows program under Wine in a throwaway prefix; and the CTest
# fixtures around the prefix.
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]
#        wine-run.sh PREFIX --setup     made if not yet (then kept), session started
#        wine-run.sh PREFIX --fresh     made anew, no session: the server saves and ends
#        wine-run.sh PREFIX --cleanup   session ended
#        wine-run.sh PREFIX --host PROGRAM [ARGS...]
#                     a Linux program that runs Wine itself (QV_WINE, QV_WINESERVER)
set -euo pipefail
if [[ $# -lt 2 ]]; then
    echo "usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...] | --setup | --fresh | --cleanup" \
        "| --host PROGRAM [ARGS...]" >&2
    exit 2
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-common.sh"

qv_wine_prefix "$1"
shift
# Everything here is headless.
export DISPLAY=''
unset WAYLAND_DISPLAY

case $1 in
--setup)
    qv_wine_ready || qv_wine_boot
    # One session for all the tests, ours: not one that the build's test
    # discovery left. It outlives an interrupted run by a minute at most.
    qv_wine_end
    qv_wine_session 60
    ;;
--fresh)
    qv_wine_boot
    ;;
--cleanup)
    qv_wine_end
    ;;
--host)
    shift
    export QV_WINE=$wine QV_WINESERVER=$wineserver
    exec "$@"
    ;;
*)
    # Under ctest the fixture has done both; the build's test discovery and
    # runs by hand make the prefix on first use. Never two at once: the build
    # lists one program's tests under Wine, ctest runs Wine tests one at a time.
    qv_wine_ready || qv_wine_boot
    qv_wine_session 10
    exec "$wine" "$@"
    ;;
esac
