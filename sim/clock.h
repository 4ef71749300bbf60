#pragma once

#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "local_date.h"

namespace sim {

// The server's wall clock: the machine's, or one that started at a chosen
// local time and runs on at the machine's pace (to watch a midnight go by).
class SimClock {
  public:
    using TimePoint = std::chrono::system_clock::time_point;

    SimClock() = default;
    explicit SimClock(std::time_t start)
        : offset_(std::chrono::system_clock::from_time_t(start) -
                  std::chrono::system_clock::now()) {}

    TimePoint Now() const { return std::chrono::system_clock::now() + offset_; }

  private:
    std::chrono::system_clock::duration offset_{};
};

// The local date of `t`, which names the day's log files.
activity::LocalDate LocalDateOf(SimClock::TimePoint t);
// The local time of day of `t` as the server stamps its lines: "HH:MM:SS.mmm".
std::string TimeOfDay(SimClock::TimePoint t);
// "YYYY-MM-DD HH:MM:SS" in local time; nullopt when malformed.
std::optional<std::time_t> ParseLocalTime(std::string_view text);

}  // namespace sim
