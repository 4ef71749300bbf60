#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace sim {

struct Options {
    std::string prefix;
    bool force = false;
    double rate = 3.0;                  // lines per second per component; 0: no pause
    std::optional<std::int64_t> lines;  // per component; none: until stopped
    std::optional<std::uint32_t> seed;
    std::string journal;
    std::optional<std::time_t> startAt;
};

extern const char kUsage[];

// Reads the command line; false with `error` set when it is not usable, and
// with `error` empty when help was asked for.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

}  // namespace sim
