#include "log_naming.h"

#include <algorithm>
#include <cstdio>

#include "case_fold.h"
#include "components.h"

namespace activity {

namespace {

int TwoDigits(int v) {
    v %= 100;
    return v < 0 ? v + 100 : v;
}

// The prefixes and ".log" are ASCII, and no other character folds to ASCII
// (case_fold.h): so the names compare as the path lookup compares them.
bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// Two ASCII digits at `at` as a number; -1 when they are not.
int TwoDigitsAt(std::string_view text, std::size_t at) {
    const auto digit = [&text](std::size_t i) {
        return text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -100;
    };
    const int v = digit(at) * 10 + digit(at + 1);
    return v < 0 ? -1 : v;
}

int DaysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
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
    std::string path(loggingDirectory);
    path += '\\';
    path += LogFilePrefix(serviceName);
    path += DateStamp(date);
    path += kLogSuffix;
    return path;
}

std::string LogFilePrefix(std::string_view serviceName) {
    // A name outside the table (lower case, empty, "POPCX") gets the default form.
    if (const Component* c = FindComponent(serviceName)) return std::string(c->filePrefix);
    return std::string(serviceName) + "-Activity-";
}

std::optional<LocalDate> LogFileDay(std::string_view fileName, std::string_view serviceName) {
    const std::string prefix = LogFilePrefix(serviceName);
    const std::size_t stamp = prefix.size();
    if (fileName.size() != stamp + 6 + kLogSuffix.size() ||
        !SameIgnoringCase(fileName.substr(0, stamp), prefix) ||
        !SameIgnoringCase(fileName.substr(stamp + 6), kLogSuffix)) {
        return std::nullopt;
    }
    const int yy = TwoDigitsAt(fileName, stamp);
    const int month = TwoDigitsAt(fileName, stamp + 2);
    const int day = TwoDigitsAt(fileName, stamp + 4);
    if (yy < 0 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(2000 + yy, month)) {
        return std::nullopt;
    }
    return LocalDate{2000 + yy, month, day};
}

}  // namespace activity
