#!/usr/bin/env bash
# The Windows zip as a user gets it: unpacked into a fresh Wine prefix with
# nothing else in it (so no server settings), under Xvfb with Qt's windows
# platform plugin from the zip.
#  1. The UI's test suite, run from inside the unpacked folder, shows the frame
#     and its seven windows through the zip's own DLLs and plugins.
#  2. QVActivityMonitor.exe starts, shows its frame and nothing else (no
#     dialog), and is still running a few seconds later.
# Usage: win-zip-check.sh ZIP UI_TESTS_EXE QT_PREFIX [SCREENSHOT.png]
# (a screenshot needs ImageMagick's import). Needs wine, xvfb-run, xdotool.
set -euo pipefail

# The script runs twice: to make the prefix, then again inside an X session of
# its own.
in_x=false
if [[ ${1:-} == --in-x ]]; then
    in_x=true
    shift
fi
zip=$(realpath "$1")
ui_tests=$(realpath "$2")
qt=$3
shot=${4:+$(realpath -m "$4")}
work=$(dirname "$zip")/zip-check
source "$(dirname "$0")/../cmake/wine-common.sh"
if ! $in_x; then
    qv_zip_prefix "$zip" "$work" --fresh
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --in-x "$@"
fi
qv_zip_prefix "$zip" "$work"

# The suite, then the application.
status=0
cp "$ui_tests" "$qt/bin/Qt6Test.dll" "$app/"
cd "$app"
if ! timeout 300 "$wine" ui_tests.exe -platform windows -o "$work/ui_tests.txt,txt" \
        </dev/null >/dev/null 2>&1; then
    echo "win-zip-check: the UI tests failed on the windows platform:" >&2
    status=1
fi
grep -E "^(FAIL|PASS|Totals)" "$work/ui_tests.txt" || echo "win-zip-check: no test log" >&2
rm ui_tests.exe Qt6Test.dll

"$wine" QVActivityMonitor.exe </dev/null >"$work/app.log" 2>&1 &
app_pid=$!
title="Quorvane Real Time Activity Monitor"
shown() {
    local id
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null || true); do
        xdotool getwindowname "$id" || true
    done
}
for _ in $(seq 600); do
    grep -qx "$title" <<<"$(shown)" && break
    sleep 0.1
done
# Watched for a while, past the first scan at 3 s: a crash or a dialog would show.
sleep 5
windows=$(shown)
echo "win-zip-check: visible windows: $windows"
if ! kill -0 $app_pid 2>/dev/null; then
    echo "win-zip-check: QVActivityMonitor.exe is not running" >&2
    status=1
elif ! grep -qx "$title" <<<"$windows"; then
    echo "win-zip-check: no frame" >&2
    status=1
elif [[ $(grep -c . <<<"$windows") -ne 1 ]]; then
    echo "win-zip-check: another window besides the frame (a dialog?)" >&2
    status=1
fi
if [[ -n $shot ]]; then
    import -window "$(xdotool search --onlyvisible --name "^$title\$" | head -n 1)" "$shot" ||
        echo "win-zip-check: no screenshot" >&2
fi
qv_wine_end
exit "$status"
