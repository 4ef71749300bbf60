#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each for the
# given seconds (default 20) from its committed seeds, which it only reads;
# fails when any target found a crash, leak or timeout, whose input is then
# left in build/fuzz/runs/<target>/artifacts. By hand: tools/fuzz.sh 3600
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

work="${QV_FUZZ_WORK:-build/fuzz/runs}"
status=0
for target in fuzz_lines fuzz_registry fuzz_path; do
    name="${target#fuzz_}"
    corpus="$work/$name/corpus"
    artifacts="$work/$name/artifacts"
    mkdir -p "$corpus" "$artifacts"
    args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          -artifact_prefix="$artifacts/")
    if [[ "$name" == registry ]]; then
        args+=(-dict=fuzz/registry.dict -max_len=8192)
    fi
    echo "== $target: $seconds s"
    # New inputs go to the scratch corpus; the committed seeds are only read.
    if ! "build/fuzz/fuzz/$target" "${args[@]}" "$corpus" "fuzz/corpus/$name" \
        >"$work/$name/log" 2>&1; then
        status=1
        echo "$target FAILED; see $work/$name/log and $artifacts/" >&2
        tail -n 40 "$work/$name/log" >&2
    fi
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/$name/log" || true
done
exit "$status"
