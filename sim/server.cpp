#include "server.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "clock.h"
#include "daily_log.h"
#include "journal.h"
#include "log_folders.h"
#include "prefix.h"
#include "text.h"
#include "traffic.h"

namespace sim {

namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

// Sleeps until `deadline`; true as soon as a stop signal is pending.
bool StopRequestedBy(Steady::time_point deadline, const sigset_t& stopSignals) {
    for (;;) {
        const auto left = std::max(deadline - Steady::now(), Steady::duration::zero());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<std::time_t>(ns / 1'000'000'000),
                               static_cast<long>(ns % 1'000'000'000)};
        if (sigtimedwait(&stopSignals, nullptr, &timeout) > 0) return true;
        if (errno != EINTR && Steady::now() >= deadline) return false;
    }
}

struct Stream {
    const activity::Component* component;
    std::unique_ptr<DailyLog> log;
    Traffic traffic;
    Steady::duration at{};  // on the server's timeline, when its next line is due
    std::int64_t written = 0;
};

// Work one component handed on to another, waiting for its time.
struct Waiting {
    Steady::duration at;
    Stream* stream;
    Handoff handoff;
};

// New mail for a mailbox joins what its owner is due to fetch a second or
// more from now; otherwise it waits its own turn, so that a step never comes
// within a second of the one before.
void HandOn(std::vector<Waiting>& waiting, Steady::duration now, Stream* stream, Handoff handoff) {
    if (!handoff.user.empty()) {
        for (Waiting& w : waiting) {
            if (w.stream == stream && w.handoff.user == handoff.user &&
                w.at >= now + std::chrono::seconds(1)) {
                w.handoff.messages.push_back(std::move(handoff.messages.front()));
                return;
            }
        }
    }
    const Steady::duration at = now + handoff.after;
    waiting.push_back({at, stream, std::move(handoff)});
}

}  // namespace

int RunServer(const Options& options, const sigset_t& stopSignals) {
    std::error_code ec;
    const fs::path prefix = fs::absolute(options.prefix, ec).lexically_normal();
    std::string error;
    switch (PreparePrefix(prefix, options.force, error)) {
        case PrefixResult::kReady:
            break;
        case PrefixResult::kNotOurs:
            std::fprintf(stderr,
                         "qv-simserver: %s is not a prefix the simulator made; it writes there "
                         "only with --force\n",
                         prefix.c_str());
            return 3;
        case PrefixResult::kFailed:
            std::fprintf(stderr, "qv-simserver: %s\n", error.c_str());
            return 1;
    }
    if (options.lines == 0) return 0;

    // The monitor's look-ups read the prefix named by WINEPREFIX.
    std::string prefixText = prefix.string();
    while (prefixText.size() > 1 && prefixText.back() == '/') prefixText.pop_back();
    setenv("WINEPREFIX", prefixText.c_str(), 1);
    Journal journal;
    if (!options.journal.empty() && !journal.Open(options.journal)) {
        std::fprintf(stderr, "qv-simserver: cannot write %s\n", options.journal.c_str());
        return 1;
    }

    const std::uint32_t seed = options.seed ? *options.seed : std::random_device{}();
    std::mt19937 rng(seed ^ 0x5EED5EEDU);
    std::uint32_t nextQueueId = std::uniform_int_distribution<std::uint32_t>(0x1000, 0xF0000)(rng);
    std::vector<Stream> streams;
    streams.reserve(std::size(activity::kComponents));
    for (const activity::Component& c : activity::kComponents) {
        const std::string directory = activity::LogDirectory(c.name, c.branch);
        if (directory.empty()) {
            std::fprintf(stderr, "qv-simserver: %s has no log directory in %s/system.reg\n",
                         std::string(c.name).c_str(), prefixText.c_str());
            continue;
        }
        std::seed_seq streamSeed{seed, static_cast<std::uint32_t>(streams.size())};
        std::uint32_t value = 0;
        streamSeed.generate(&value, &value + 1);
        streams.push_back({&c,
                           std::make_unique<DailyLog>(prefixText, directory, std::string(c.name)),
                           Traffic(c.name, value, nextQueueId)});
    }
    if (streams.empty()) return 1;

    // The streams take turns on a timeline of their own, so that what a seed
    // writes does not depend on the machine's speed. At a rate, the machine's
    // clock paces it and a line is stamped with its turn's time, late or not;
    // at rate 0 it keeps the default rate's turns, without pausing, and the
    // lines are stamped as written.
    const SimClock clock = options.startAt ? SimClock(*options.startAt) : SimClock();
    const std::chrono::duration<double> interval(options.rate > 0 ? 1.0 / options.rate : 0.0);
    const std::chrono::duration<double> turn(1.0 /
                                             (options.rate > 0 ? options.rate : Options{}.rate));
    const Steady::time_point start = Steady::now();
    Steady::duration behind{};  // lost to a stopped or busy machine, never caught up with
    std::vector<Waiting> waiting;
    std::uniform_real_distribution<double> jitter(0.3, 1.7);
    std::fprintf(stderr, "qv-simserver: the simulated mail server writes in %s; Ctrl+C stops it\n",
                 prefixText.c_str());

    std::int64_t total = 0;
    bool stop = false;
    while (!stop) {
        Stream* next = nullptr;
        for (Stream& s : streams) {
            if (options.lines && s.written >= *options.lines) continue;
            if (!next || s.at < next->at) next = &s;
        }
        if (!next) break;
        SimClock::TimePoint now = clock.Now();
        if (options.rate > 0) {
            behind = std::max(behind, Steady::now() - start - next->at - std::chrono::seconds(1));
            const Steady::time_point due = start + behind + next->at;
            if (StopRequestedBy(due, stopSignals)) break;
            now = clock.Now() -
                  std::chrono::duration_cast<SimClock::TimePoint::duration>(Steady::now() - due);
        } else if (StopRequestedBy(Steady::now(), stopSignals)) {
            break;
        }
        // Handed on in the order it falls due.
        std::stable_sort(waiting.begin(), waiting.end(),
                         [](const Waiting& a, const Waiting& b) { return a.at < b.at; });
        std::erase_if(waiting, [&](Waiting& w) {
            if (w.stream != next || w.at > next->at) return false;
            next->traffic.Take(std::move(w.handoff));
            return true;
        });

        Traffic::Line line = next->traffic.Next(TimeOfDay(now));
        const std::string& text = line.text;
        if (line.handoff) {
            const auto to = std::find_if(streams.begin(), streams.end(), [&](const Stream& s) {
                return s.component->name == line.handoff->component;
            });
            if (to != streams.end()) HandOn(waiting, next->at, &*to, std::move(*line.handoff));
        }
        if (!next->log->Use(LocalDateOf(now))) {
            std::fprintf(stderr, "qv-simserver: cannot open %s\n", next->log->Path().c_str());
            return 1;
        }
        const std::string bytes = EncodeCp1252(text) + "\r\n";
        // Now and then a line goes out in two or three pieces, as a server's
        // buffered writes do; a cut may fall between the CR and the LF.
        std::vector<std::size_t> cuts{0, bytes.size()};
        if (std::bernoulli_distribution(0.2)(rng)) {
            std::uniform_int_distribution<std::size_t> at(1, bytes.size() - 1);
            cuts.push_back(at(rng));
            if (std::bernoulli_distribution(0.3)(rng)) cuts.push_back(at(rng));
            std::sort(cuts.begin(), cuts.end());
            cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        }
        const auto pause = std::chrono::duration_cast<Steady::duration>(
            std::min(interval / 3, std::chrono::duration<double>(0.05)) * jitter(rng) / 1.7);
        bool ok = true;
        for (std::size_t i = 0; ok && i + 1 < cuts.size(); ++i) {
            // A stop waits for the end of the line.
            if (i > 0 && !stop) stop = StopRequestedBy(Steady::now() + pause, stopSignals);
            ok = next->log->Write(std::string_view(bytes).substr(cuts[i], cuts[i + 1] - cuts[i]));
        }
        if (!ok || !journal.Record(next->component->name, next->log->Path(), text)) {
            std::fprintf(stderr, "qv-simserver: cannot write %s\n", next->log->Path().c_str());
            return 1;
        }
        ++next->written;
        ++total;
        next->at += std::chrono::duration_cast<Steady::duration>(turn * jitter(rng));
    }
    std::fprintf(stderr, "qv-simserver: stopped after %lld lines\n", static_cast<long long>(total));
    return 0;
}

}  // namespace sim
