# shellcheck shell=bash disable=SC2034  # wine, wineserver, app: for the callers
# Sourced by every script that runs Windows programs under Wine: which Wine,
# and a prefix's life (made, its session started, ended). Callers use
# set -euo pipefail.

# Sets wine and wineserver. Debian's wine64 package alone puts neither on PATH.
qv_wine_find() {
    wine=$(command -v wine || echo /usr/lib/wine/wine64)
    wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    if [[ ! -x $wine || ! -x $wineserver ]]; then
        echo "${0##*/}: wine not found (apt-get install wine wine64)" >&2
        return 127
    fi
}

# Wine, quiet and with no Mono or Gecko install prompts, pointed at PREFIX.
qv_wine_prefix() {
    qv_wine_find || return
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

qv_wine_ready() { [[ -f $WINEPREFIX/.qv-ready ]]; }

# Makes $WINEPREFIX anew, headless; its log goes beside it. The mark is written
# only once the server has saved the new registry and ended.
qv_wine_boot() {
    qv_wine_end
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    if ! DISPLAY='' timeout 300 "$wine" wineboot.exe -i </dev/null >"$WINEPREFIX.log" 2>&1 ||
        ! timeout 120 "$wineserver" -w; then
        echo "${0##*/}: wineboot failed in $WINEPREFIX (see $WINEPREFIX.log)" >&2
        return 1
    fi
    touch "$WINEPREFIX/.qv-ready"
}

# Starts the prefix's session unless one runs: a server that stays SECONDS
# after its last program ends (for good without SECONDS), and the services.
# Started here, away from our output, they hold no caller's pipes open, as a
# session that a program starts does until it ends.
qv_wine_session() {
    if "$wineserver" "-p${1:-}" </dev/null >/dev/null 2>&1; then
        "$wine" wineboot.exe </dev/null >/dev/null 2>&1 || true
    fi
}

qv_wine_end() { "$wineserver" -k >/dev/null 2>&1 || true; }

# The Windows zip as a user gets it: Wine pointed at WORK/prefix, with the zip
# unpacked on its C: drive; app is that folder. With --fresh, WORK is emptied
# first and the prefix made anew with nothing else in it (so no server settings).
qv_zip_prefix() {
    qv_wine_prefix "$2/prefix"
    app="$WINEPREFIX/drive_c/$(basename "$1" .zip)"
    if [[ ${3:-} == --fresh ]]; then
        qv_wine_end
        rm -rf "$2"
        qv_wine_boot || return
        (cd "$WINEPREFIX/drive_c" && cmake -E tar xf "$1")
    fi
}
