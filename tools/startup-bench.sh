#!/usr/bin/env bash
# Start-up of the Windows zip's exe under Wine and of the native exe, in the
# same run and the same Xvfb screen: from launch to the frame mapped on the
# screen (its seven windows are made before it maps), polled with xdotool.
# Neither has server settings. Prints each run and the median of each.
# Usage: startup-bench.sh ZIP NATIVE_EXE [RUNS]   (a figure, not a test)
# Needs wine, xvfb-run, xdotool.
set -euo pipefail

# The script runs twice: to make the prefix, then again inside an X session of
# its own.
in_x=false
if [[ ${1:-} == --in-x ]]; then
    in_x=true
    shift
fi
zip=$(realpath "$1")
native=$(realpath "$2")
runs=${3:-9}
work=$(dirname "$zip")/startup-bench
source "$(dirname "$0")/../cmake/wine-common.sh"
if ! $in_x; then
    qv_zip_prefix "$zip" "$work" --fresh
    mkdir -p "$work/empty-prefix"
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --in-x "$@"
fi
qv_zip_prefix "$zip" "$work"

title="Quorvane Real Time Activity Monitor"
# One start: launch, poll until the frame is mapped, print milliseconds, stop it.
once() {
    local start pid
    start=$(date +%s%N)
    "$@" </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 3000); do
        xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 && break
        sleep 0.005
    done
    echo $((($(date +%s%N) - start) / 1000000))
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    for _ in $(seq 200); do
        xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 || break
        sleep 0.05
    done
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# A wineserver that stays up between runs, as on a desktop where Wine already runs.
"$wineserver" -p
cd "$app"
once "$wine" QVActivityMonitor.exe >/dev/null   # warm the caches, not counted
WINEPREFIX="$work/empty-prefix" once "$native" >/dev/null
: >"$work/wine.ms"
: >"$work/native.ms"
for _ in $(seq "$runs"); do
    once "$wine" QVActivityMonitor.exe >>"$work/wine.ms"
    WINEPREFIX="$work/empty-prefix" once "$native" >>"$work/native.ms"
done
echo "runs (ms), zip's exe under Wine: $(tr '\n' ' ' <"$work/wine.ms")"
echo "runs (ms), native:               $(tr '\n' ' ' <"$work/native.ms")"
echo "start-up to the frame with seven windows, median of $runs:" \
    "Wine $(median <"$work/wine.ms") ms, native $(median <"$work/native.ms") ms"
qv_wine_end
