#include "clock.h"

#include <cstdio>
#include <string>

namespace sim {

namespace {

std::tm LocalTm(SimClock::TimePoint t) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return tm;
}

}  // namespace

activity::LocalDate LocalDateOf(SimClock::TimePoint t) {
    const std::tm tm = LocalTm(t);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

std::string TimeOfDay(SimClock::TimePoint t) {
    // to_time_t may round; the stamp must not run ahead of the date.
    const auto seconds = std::chrono::floor<std::chrono::seconds>(t);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(t - seconds);
    const std::tm tm = LocalTm(seconds);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(millis.count()));
    return buf;
}

std::optional<std::time_t> ParseLocalTime(std::string_view text) {
    std::tm tm{};
    char tail = 0;
    const std::string s(text);
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &tail) != 6) {
        return std::nullopt;
    }
    if (tm.tm_mon < 1 || tm.tm_mon > 12 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 ||
        tm.tm_min > 59 || tm.tm_sec > 60) {
        return std::nullopt;
    }
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return t;
}

}  // namespace sim
