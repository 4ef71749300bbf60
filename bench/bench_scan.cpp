// ScanFile over a burst of realistic log lines, against `wc -l` on the same
// file, and the cost of a scan of an unchanged file.
//
//   bench_scan [--size-mib N] [benchmark flags]
//   bench_scan --unchanged-loop N   (N scans of an unchanged file, for strace -c)

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "activity_follower.h"
#include "test_server.h"

namespace fs = std::filesystem;

namespace {

std::size_t g_sizeMiB = 1024;

class CountingFollower : public activity::ActivityFollower {
  public:
    activity::LocalDate today{2026, 12, 6};
    std::size_t lines = 0;
    explicit CountingFollower(const char* name)
        : ActivityFollower(name, activity::FindComponent(name)->branch,
                           [this](const activity::EntryBatch& batch) { lines += batch.size(); }) {
        SetClock([this] { return today; });
    }
};

// SMTP-like traffic, about 120 bytes a line, CRLF terminated.
void WriteBurst(const fs::path& file, std::size_t bytes) {
    std::mt19937 gen(42);
    auto rng = [&gen] { return static_cast<unsigned>(gen()); };
    static const char* verbs[] = {"Connect from",        "EHLO",      "MAIL FROM:<", "RCPT TO:<",
                                  "250 2.0.0 queued as", "QUIT from", "DATA from"};
    std::string block;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::size_t written = 0;
    char line[512];
    while (written < bytes) {
        block.clear();
        while (block.size() < (1 << 20)) {
            const int n = std::snprintf(
                line, sizeof line,
                "2026-12-06 %02u:%02u:%02u.%03u [%05u] %s user%u@mail%u.example.com session "
                "%08x from 192.0.2.%u size=%u\r\n",
                rng() % 24, rng() % 60, rng() % 60, rng() % 1000, rng() % 100000, verbs[rng() % 7],
                rng() % 5000, rng() % 50, static_cast<unsigned>(rng()), rng() % 255,
                rng() % 100000);
            block.append(line, static_cast<std::size_t>(n));
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        written += block.size();
    }
}

double SecondsOf(const std::string& command) {
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct Burst {
    TestServer server;
    fs::path day1, day2;
    Burst() {
        server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
        day1 = server.LocalLogDir() / "SMTP-Activity-261206.log";
        day2 = server.LocalLogDir() / "SMTP-Activity-261207.log";
        WriteBurst(day1, g_sizeMiB << 20);
        fs::copy_file(day1, day2);
    }
};

Burst& TheBurst() {
    static Burst burst;
    return burst;
}

// Each iteration reads one whole day's file in the activity window's 4 MiB
// slices: the clock alternates between two days whose files hold the same
// burst, so the follower is reused. (A follower gives its buffers back once
// it has caught up, so a single unbounded scan would time the growth of a
// 1 GiB batch, which the window never makes.)
void BM_ScanBurst(benchmark::State& state) {
    Burst& burst = TheBurst();
    CountingFollower f("SMTP");
    f.Initialise();
    const auto bytes = static_cast<std::int64_t>(fs::file_size(burst.day1));
    constexpr std::size_t kSlice = activity::kSliceBytes;
    f.today = {2026, 12, 7};
    while (f.ScanSlice(kSlice)) {
    }
    bool second = true;
    std::size_t lines = 0;
    for (auto _ : state) {
        second = !second;
        f.today = second ? activity::LocalDate{2026, 12, 7} : activity::LocalDate{2026, 12, 6};
        f.lines = 0;
        while (f.ScanSlice(kSlice)) {
        }
        lines = f.lines;
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines));
    state.counters["lines"] = static_cast<double>(lines);
    const double wc = SecondsOf("wc -l '" + burst.day1.string() + "' >/dev/null");
    state.counters["wc_l_seconds"] = wc;
    state.counters["wc_l_GBps"] = static_cast<double>(bytes) / wc / 1e9;
}
BENCHMARK(BM_ScanBurst)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_ScanUnchanged(benchmark::State& state) {
    TestServer server;
    server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
    std::ofstream(server.LocalLogDir() / "SMTP-Activity-261206.log") << "a line of text\r\n";
    CountingFollower f("SMTP");
    f.Initialise();
    for (auto _ : state) f.ScanFile();
}
BENCHMARK(BM_ScanUnchanged);

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--size-mib") == 0)
            g_sizeMiB = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--unchanged-loop") == 0) {
            TestServer server;
            server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
            std::ofstream(server.LocalLogDir() / "SMTP-Activity-261206.log") << "a line\r\n";
            CountingFollower f("SMTP");
            f.Initialise();
            const long n = std::strtol(argv[i + 1], nullptr, 10);
            for (long k = 0; k < n; ++k) f.ScanFile();
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
