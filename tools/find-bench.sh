#!/usr/bin/env bash
# Find in Logs against GNU grep -ciF, as a user runs it from a shell, over the
# same logs: a day's seven logs of 300 MiB (QV_FIND_MIB) in a Wine-style prefix
# under /tmp, in the page cache, removed afterwards. Prints, for each needle,
# one log and all seven: grep's best of five, Find's best of five, their ratio;
# then Find's peak memory and TextSearch alone over ui_bench's million lines.
# Other work on the machine skews both: the load is printed beside each row.
#
#   tools/find-bench.sh [BUILD_DIR]     (build/release unless given, bench_find built)
set -euo pipefail
build=${1:-build/release}
bench=$build/bench/bench_find
[[ -x $bench ]] || { echo "no $bench: cmake --build --preset release --target bench_find" >&2; exit 2; }
mib=${QV_FIND_MIB:-300}
dir=$(mktemp -d /tmp/qv-find-bench.XXXXXX)
trap 'rm -rf "$dir"' EXIT
"$bench" --make "$dir" --size-mib "$mib"
files=("$dir"/drive_c/Logs/*.log)
cat "${files[@]}" >/dev/null  # into the page cache
export LC_ALL=C.UTF-8

# The best of five runs of the command, in ms, after one to warm up. Its
# output goes to a file: GNU grep stops at the first match when it writes to
# /dev/null.
best_ms() {
    local best=0 i t0 t1
    for i in 0 1 2 3 4 5; do
        t0=${EPOCHREALTIME/./}
        "$@" >"$dir/out" || true
        t1=${EPOCHREALTIME/./}
        if ((i == 1 || (i > 1 && t1 - t0 < best))); then best=$((t1 - t0)); fi
    done
    awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}

# Each needle's grep runs and then Find's, back to back, so that both see
# much the same load from whatever else runs on the machine.
mapfile -t needles < <("$bench" --needles)
csv=$dir/find.csv
printf '%-20s %5s %10s %10s %7s %9s  %s\n' needle logs "grep ms" "find ms" ratio lines load
for n in "${!needles[@]}"; do
    for logs in 1 7; do
        g=$(best_ms grep -ciF -- "${needles[$n]}" "${files[@]:0:logs}")
        WINEPREFIX=$dir "$bench" --benchmark_filter="BM_Find/$n/$logs/" --benchmark_repetitions=5 \
            --benchmark_report_aggregates_only=true --benchmark_format=csv >"$csv" 2>>"$dir/err"
        row=$(grep "_min\"" "$csv")
        f=$(cut -d, -f3 <<<"$row")
        lines=$(awk -F, '{ print $NF }' <<<"$row")
        awk -v nd="${needles[$n]}" -v l="$logs" -v g="$g" -v f="$f" -v c="$lines" \
            -v load="$(cut -d' ' -f1 /proc/loadavg)" \
            'BEGIN { printf "%-20s %5d %10.1f %10.1f %7.2f %9d  %s\n", nd, l, g, f, f / g, c, load }'
    done
done
sort -k4 -n "$dir/err" | grep peak | tail -1 | sed 's/^/find, the largest /'
# TextSearch alone, as the filter runs it over a window's million entries in
# memory, beside grep over the same lines in a file.
"$bench" --make-lines "$dir/lines.txt"
rm -f "${files[@]}"
printf '%-20s %10s %12s\n' "filter needle" "grep ms" "Find min ms"
"$bench" --benchmark_filter=BM_TextSearch --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv >"$csv" 2>/dev/null
for n in "${!needles[@]}"; do
    g=$(best_ms grep -ciF -- "${needles[$n]}" "$dir/lines.txt")
    f=$(grep "^\"BM_TextSearch/${n}_min\"" "$csv" | cut -d, -f3)
    printf '%-20s %10s %12.1f\n' "${needles[$n]}" "$g" "$f"
done
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
