#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// A message on its way through the server, under one queue id throughout.
struct Message {
    std::string queueId;
    std::string from;
    int size = 0;
    std::vector<std::string> to;  // accepted recipients; local ones in kLocalDomain
};

// The next component's part in a message's way: SF scans what SMTP accepted
// or HTTPMAIL sent, MTA delivers what SF passed, and POP or HTTPMAIL hands a
// local mailbox's new mail to its owner. Remote deliveries end at MTA.
struct Handoff {
    std::string component;            // the one that takes it up
    std::chrono::milliseconds after;  // how long after the line that hands it on
    std::vector<Message> messages;    // one, but a mailbox may gather several
    std::string user;                 // POP, HTTPMAIL: the mailbox's owner
};

// Made-up but plausible activity of one component, a session at a time:
// SMTP and POP dialogues, web mail logins, deliveries and retries, list
// posts, POP retrieval runs and spam filter verdicts, with some non-ASCII
// names and, between sessions, a few bare lines, some of 10 characters or
// fewer (which the monitor does not list) and some of 11. Work handed on by
// another component comes before the next session of its own.
class Traffic {
  public:
    struct Line {
        std::string text;  // UTF-8, without its terminator
        std::optional<Handoff> handoff;
    };

    // `nextQueueId` is the server's one queue, shared by every component.
    Traffic(std::string_view component, std::uint32_t seed, std::uint32_t& nextQueueId);

    // The next line; `timeOfDay` begins it unless it is a bare line.
    Line Next(std::string_view timeOfDay);
    // Queues what another component handed on, for after the session under way.
    void Take(Handoff handoff) { taken_.push_back(std::move(handoff)); }

  private:
    struct Pending {
        std::string text;
        bool stamped;
        std::optional<Handoff> handoff;
    };

    void Say(std::string text, std::optional<Handoff> handoff = std::nullopt) {
        pending_.push_back({std::move(text), true, std::move(handoff)});
    }
    void Bare(std::string text) { pending_.push_back({std::move(text), false, std::nullopt}); }

    void SmtpSession();
    void PopSession(const Handoff* mailbox);
    void HttpMailSession(const Handoff* mailbox);
    void MtaRun(const Message* handed);
    void ListServerPost();
    void RetrievalRun();
    void FilterRun(const Message* handed);
    void Separator();

    std::string QueueId() { return "Q" + Hex((*nextQueueId_)++, 6); }
    std::string Address();
    std::string Ip();
    // A few seconds, as a server's queues and its users' mail programs take.
    std::chrono::milliseconds After(int lowMs, int highMs) {
        return std::chrono::milliseconds(Uniform(lowMs, highMs));
    }

    static std::string Hex(std::uint32_t value, int digits);
    template <class T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng_)];
    }
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    std::string component_;
    std::mt19937 rng_;
    std::deque<Pending> pending_;
    std::deque<Handoff> taken_;
    std::uint32_t* nextQueueId_;
    std::uint32_t nextSession_;
};

}  // namespace sim
