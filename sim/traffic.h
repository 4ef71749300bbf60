#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <string_view>

namespace sim {

// Made-up but plausible activity of one component, a session at a time:
// SMTP and POP dialogues, web mail logins, deliveries and retries, list
// posts, POP retrieval runs and spam filter verdicts, with some non-ASCII
// names and, between sessions, a few bare lines, some of 10 characters or
// fewer (which the monitor does not list) and some of 11.
class Traffic {
  public:
    Traffic(std::string_view component, std::uint32_t seed);

    // The next line in UTF-8, without its terminator; `timeOfDay` begins it
    // unless it is a bare line.
    std::string Next(std::string_view timeOfDay);

  private:
    struct Line {
        std::string text;
        bool stamped;
    };

    void Say(std::string text) { pending_.push_back({std::move(text), true}); }
    void Bare(std::string text) { pending_.push_back({std::move(text), false}); }

    void SmtpSession();
    void PopSession();
    void HttpMailSession();
    void MtaRun();
    void ListServerPost();
    void RetrievalRun();
    void FilterRun();
    void Separator();

    std::string QueueId() { return "Q" + Hex(nextQueueId_++, 6); }
    std::string Address();
    std::string Ip();

    static std::string Hex(std::uint32_t value, int digits);
    template <class T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng_)];
    }
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    std::string component_;
    std::mt19937 rng_;
    std::deque<Line> pending_;
    std::uint32_t nextQueueId_;
    std::uint32_t nextSession_;
};

}  // namespace sim
