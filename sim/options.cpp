#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "clock.h"

namespace sim {

const char kUsage[] =
    "Usage: qv-simserver [OPTIONS] PREFIX_DIR\n"
    "Plays a Quorvane mail server running under Wine in PREFIX_DIR: makes it a\n"
    "Wine-style prefix holding the server's settings (unless it is one the\n"
    "simulator made before), then appends activity to the seven components' logs\n"
    "of the day until Ctrl+C or SIGTERM. Run the monitor with WINEPREFIX=PREFIX_DIR.\n"
    "\n"
    "  --force          also write into a folder the simulator did not make\n"
    "  --rate N         lines per second per component (default 3; 0: no pause)\n"
    "  --lines N        stop after N lines per component (0: only make the prefix)\n"
    "  --seed S         repeat the same traffic (default: a new one each run)\n"
    "  --journal FILE   append a record of each line written: component, file, text\n"
    "  --start-at 'YYYY-MM-DD HH:MM:SS'\n"
    "                   let the server's clock start at that local time (try\n"
    "                   '2002-08-21 23:59:50' to see the logs roll over at midnight)\n"
    "  --help           show this text\n";

namespace {

bool ParseInteger(std::string_view text, long long low, long long high, long long& value) {
    const std::string s(text);
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(s.c_str(), &end, 10);
    return !s.empty() && *end == '\0' && errno == 0 && value >= low && value <= high;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    error.clear();
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const auto missing = [&] {
            error = "missing value after " + std::string(arg);
            return false;
        };
        long long number = 0;
        if (arg == "--help" || arg == "-h") {
            return false;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--rate") {
            if (!hasValue) return missing();
            char* end = nullptr;
            options.rate = std::strtod(argv[++i], &end);
            if (*end != '\0' || end == argv[i] || !std::isfinite(options.rate) ||
                options.rate < 0) {
                error = "--rate wants a number of lines per second, 0 or more";
                return false;
            }
        } else if (arg == "--lines") {
            if (!hasValue) return missing();
            if (!ParseInteger(argv[++i], 0, 1LL << 40, number)) {
                error = "--lines wants a whole number, 0 or more";
                return false;
            }
            options.lines = number;
        } else if (arg == "--seed") {
            if (!hasValue) return missing();
            if (!ParseInteger(argv[++i], 0, 0xFFFFFFFFLL, number)) {
                error = "--seed wants a whole number below 2^32";
                return false;
            }
            options.seed = static_cast<std::uint32_t>(number);
        } else if (arg == "--journal") {
            if (!hasValue) return missing();
            options.journal = argv[++i];
        } else if (arg == "--start-at") {
            if (!hasValue) return missing();
            options.startAt = ParseLocalTime(argv[++i]);
            if (!options.startAt) {
                error = "--start-at wants a local time as 'YYYY-MM-DD HH:MM:SS'";
                return false;
            }
        } else if (arg.starts_with("-") && arg.size() > 1) {
            error = "unknown option " + std::string(arg);
            return false;
        } else if (options.prefix.empty()) {
            options.prefix = arg;
        } else {
            error = "one prefix folder only";
            return false;
        }
    }
    if (options.prefix.empty()) {
        error = "no prefix folder given";
        return false;
    }
    return true;
}

}  // namespace sim
