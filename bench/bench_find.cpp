// Find in Logs over a day's seven logs, and TextSearch alone; tools/find-bench.sh
// makes the logs, times GNU grep over them from the shell and sets the two side by side.
//
//   bench_find --make DIR [--size-mib N]   a Wine-style prefix in DIR: seven logs of N MiB
//   WINEPREFIX=DIR bench_find [benchmark flags]
//   bench_find --make-lines FILE            BM_TextSearch's million lines, LF ended
//   bench_find --needles                    the needles, one a line, in benchmark order

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "bench_lines.h"
#include "components.h"
#include "log_search.h"
#include "registry_file.h"
#include "text_search.h"

namespace fs = std::filesystem;

namespace {

// An e-mail address, a queue id, a letter on every line, a word on a quarter
// of them, and a name that only the code page's own bytes spell.
const char* const kNeedles[] = {"USER4242@mail", "session 5e1a7c3b", "x", "quit",
                                "\xC3\x89mile Zo\xC3\xAB"};
constexpr activity::LocalDate kDay{2026, 12, 6};

// ui_bench's SMTP-like lines, CRLF ended, about 115 bytes, until `bytes` or
// `count` lines; with `names`, one in a thousand names "Émile Zoë" in code
// page 1252. Without, seed 7 and a million lines give ui_bench's very lines.
std::string MakeLines(std::size_t bytes, std::size_t count, unsigned seed, bool names) {
    std::string out;
    out.reserve(std::min<std::size_t>(bytes, count * 128) + 256);
    MakeBenchLines(count, seed, names, [&](std::string_view line) {
        out.append(line).append("\r\n");
        return out.size() < bytes;
    });
    return out;
}

int Make(const fs::path& dir, std::size_t mib) {
    fs::create_directories(dir / "drive_c" / "Logs");
    fs::create_directories(dir / "dosdevices");
    fs::create_directory_symlink("../drive_c", dir / "dosdevices" / "c:");
    sim::RegistryFile settings;
    settings.SetRaw("System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", "\"1252\"");
    if (!settings.Save(dir / "system.reg", 1796581281)) return 1;
    unsigned seed = 1;
    for (const activity::Component& c : activity::kComponents) {
        const std::string text = MakeLines(mib << 20, SIZE_MAX, seed++, true);
        const fs::path file = dir / "drive_c" / "Logs" / (std::string(c.filePrefix) + "261206.log");
        std::ofstream(file, std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return 0;
}

// Needle, then how many of the seven components' logs.
void BM_Find(benchmark::State& state) {
    activity::LogSearchRequest request;
    request.text = kNeedles[state.range(0)];
    request.day = kDay;
    for (std::int64_t c = 0; c < state.range(1); ++c) {
        request.components.push_back(
            {std::string(activity::kComponents[static_cast<std::size_t>(c)].name), "C:\\Logs"});
    }
    const std::atomic<bool> cancel = false;
    std::size_t lines = 0;
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        lines = 0;
        const activity::LogSearchOutcome outcome = activity::SearchLogs(
            request, cancel, [&bytes](std::uint64_t, std::uint64_t total) { bytes = total; },
            [&lines](std::size_t, const activity::EntryBatch& batch) { lines += batch.size(); });
        for (const activity::ScanStatus& s : outcome.components) {
            if (s.state != activity::ScanState::Following) state.SkipWithError(s.file.c_str());
        }
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

// TextSearch::Find alone over a million of the lines back to back, as the
// filter runs it over a window's entries (first match of each line, then on).
const std::string& WindowText() {
    static const std::string text = [] {
        std::string lines = MakeLines(SIZE_MAX, 1'000'000, 7, false);
        lines.erase(std::remove(lines.begin(), lines.end(), '\r'), lines.end());
        return lines;
    }();
    return text;
}

void BM_TextSearch(benchmark::State& state) {
    const std::string& text = WindowText();
    const activity::TextSearch search(kNeedles[state.range(0)]);
    std::size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (std::size_t at = search.Find(text); at != std::string::npos;
             at = search.Find(text, text.find('\n', at))) {
            ++found;
        }
    }
    state.counters["found"] = static_cast<double>(found);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

const auto kMin = [](const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
};
BENCHMARK(BM_Find)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {1, 7}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime()
    ->ComputeStatistics("min", kMin);
BENCHMARK(BM_TextSearch)
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", kMin);

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--needles") == 0) {
        for (const char* needle : kNeedles) std::printf("%s\n", needle);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--make-lines") == 0) {
        const std::string& text = WindowText();
        std::ofstream(argv[2], std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--make") == 0) {
        const std::size_t mib = argc > 4 && std::strcmp(argv[3], "--size-mib") == 0
                                    ? std::strtoul(argv[4], nullptr, 10)
                                    : 300;
        return Make(argv[2], mib);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(stderr, "peak resident memory: %.1f MiB\n",
                 static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
