// The highlight rules over a window's new entries beside the filter over the
// same entries: ui_bench's million lines packed as a follower packs them.
//
//   bench_highlight [benchmark flags]
// BM_Classify (five rules) over BM_Filter (one text, the filter's loop) is the
// cost that the rules add to a burst; the target is at most 2.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench_lines.h"
#include "entry_batch.h"
#include "highlight_rules.h"
#include "text_search.h"

namespace {

// A rare address, a verb on a quarter of the lines, a queue id, a name that is
// never there and a size on one line in a hundred thousand.
const char* const kRules[] = {"user4242@mail", "QUIT from", "session 5e1a7c3b",
                              "\xC3\x89mile Zo\xC3\xAB", "size=9999"};

// ui_bench's lines (seed 7), one entry each.
const activity::EntryBatch& Window() {
    static const activity::EntryBatch batch = [] {
        activity::EntryBatch b;
        MakeBenchLines(1'000'000, 7, false, [&b](std::string_view line) {
            b.Append(line);
            return true;
        });
        return b;
    }();
    return batch;
}

// The filter's loop: each entry's first match, then the next entry.
void BM_Filter(benchmark::State& state) {
    const activity::EntryBatch& batch = Window();
    const activity::TextSearch search(kRules[state.range(0)]);
    const std::string_view text = batch.text();
    const std::vector<std::size_t>& ends = batch.ends();
    std::vector<std::size_t> found;
    for (auto _ : state) {
        found.clear();
        activity::ForEachMatchingEntry(search, text, 0, ends,
                                       [&found](std::size_t k) { found.push_back(k); });
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["found"] = static_cast<double>(found.size());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_Classify(benchmark::State& state) {
    const activity::EntryBatch& batch = Window();
    activity::HighlightRules rules;
    for (std::int64_t i = 0; i < state.range(0); ++i)
        rules.Add({kRules[i], static_cast<int>(i), false});
    std::vector<int> classes;
    for (auto _ : state) {
        classes.clear();
        rules.Classify(batch, classes);
        benchmark::DoNotOptimize(classes.data());
    }
    state.counters["found"] = static_cast<double>(
        std::count_if(classes.begin(), classes.end(), [](int c) { return c >= 0; }));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(batch.text().size()));
}

const auto kMin = [](const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
};
BENCHMARK(BM_Filter)
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", kMin);
BENCHMARK(BM_Classify)
    ->DenseRange(1, 5)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", kMin);

}  // namespace

BENCHMARK_MAIN();
