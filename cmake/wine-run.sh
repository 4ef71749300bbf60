#!/bin/sh
# Runs a Windows program under Wine in a throwaway prefix, made on first use.
# Usage: wine-run.sh <prefix directory> <program.exe> [arguments...]
set -eu

prefix=$1
shift

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No Mono or Gecko install prompts, and no window: everything here is headless.
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=
unset WAYLAND_DISPLAY 2>/dev/null || true

if command -v wine >/dev/null 2>&1; then
    wine=wine
elif [ -x /usr/lib/wine/wine64 ]; then
    wine=/usr/lib/wine/wine64
else
    echo "wine-run.sh: wine is not installed" >&2
    exit 127
fi
if command -v wineserver >/dev/null 2>&1; then
    wineserver=wineserver
else
    wineserver=/usr/lib/wine/wineserver
fi

# Tests may start in parallel: one at a time makes the prefix or starts the
# session. The mark is written only once the server has saved the new registry.
# A session started by a test would tie the test's output pipes to the server
# and its services until they time out, so ours is started detached, with its
# services, and lingers a few seconds for the next test. The server command
# fails when one is running already. Nothing started keeps the lock open.
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.qv-ready" ]; then
        if ! "$wine" wineboot.exe -i </dev/null >/dev/null 2>&1 9>&-; then
            echo "wine-run.sh: wineboot failed in $prefix" >&2
            exit 1
        fi
        "$wineserver" -w 9>&-
        touch "$prefix/.qv-ready"
    fi
    if "$wineserver" -p10 </dev/null >/dev/null 2>&1 9>&-; then
        "$wine" wineboot.exe </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$prefix.lock"

exec "$wine" "$@"
