#include "log_naming.h"

#include <cstdio>

namespace activity {

namespace {

int TwoDigits(int v) {
    v %= 100;
    return v < 0 ? v + 100 : v;
}

}  // namespace

std::string DateStamp(const LocalDate& date) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", TwoDigits(date.year), TwoDigits(date.month),
                  TwoDigits(date.day));
    return buf;
}

std::string ActiveFileName(std::string_view loggingDirectory, std::string_view serviceName,
                           const LocalDate& date) {
    // Whole, case-sensitive names: "POPC" is not "POP", "pop" is nothing.
    struct Rule {
        std::string_view name;
        std::string_view prefix;
    };
    static constexpr Rule kRules[] = {
        {"HTTPMAIL", "HTTP-Activity-"}, {"POP", "POP-Debug-"}, {"MTA", "MTA-Debug-"},
        {"SF", "POC-Debug-"},           {"LS", "LS-Debug-"},
    };
    std::string path(loggingDirectory);
    path += '\\';
    bool matched = false;
    for (const Rule& rule : kRules) {
        if (serviceName == rule.name) {
            path += rule.prefix;
            matched = true;
            break;
        }
    }
    if (!matched) {
        path += serviceName;
        path += "-Activity-";
    }
    path += DateStamp(date);
    path += ".log";
    return path;
}

}  // namespace activity
