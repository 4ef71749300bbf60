#include "log_naming.h"

#include <cstdio>

#include "components.h"

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
    std::string path(loggingDirectory);
    path += '\\';
    // A name outside the table (lower case, empty, "POPCX") gets the default form.
    if (const Component* c = FindComponent(serviceName)) {
        path += c->filePrefix;
    } else {
        path += serviceName;
        path += "-Activity-";
    }
    path += DateStamp(date);
    path += kLogSuffix;
    return path;
}

}  // namespace activity
