# Sourced by the scripts that run the Windows zip as a user gets it.
# fresh_zip_prefix ZIP WORK: empties WORK, makes a Wine prefix in WORK/prefix
# with nothing else in it (so no server settings) and unpacks the zip on its
# C: drive. Sets WINEPREFIX, wine, wineserver, and app (the unpacked folder).
fresh_zip_prefix() {
    export WINEPREFIX="$2/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wine=$(command -v wine || echo /usr/lib/wine/wine64)
    wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    "$wineserver" -k >/dev/null 2>&1 || true
    rm -rf "$2"
    mkdir -p "$2"
    DISPLAY= timeout 300 "$wine" wineboot.exe -i </dev/null >"$2/wineboot.log" 2>&1
    timeout 120 "$wineserver" -w
    (cd "$WINEPREFIX/drive_c" && cmake -E tar xf "$1")
    app="$WINEPREFIX/drive_c/$(basename "$1" .zip)"
}
