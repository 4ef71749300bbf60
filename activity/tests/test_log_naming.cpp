#include <gtest/gtest.h>

#include "log_naming.h"

// Each component's file written out, not derived from the code's table; then
// names taken whole and case-sensitive, nothing trimmed, two-digit dates.
TEST(LogNaming, EachComponentHasItsFile) {
    const std::tuple<const char*, const char*, activity::LocalDate, const char*> rows[] = {
        {"dir", "HTTPMAIL", {2002, 8, 21}, "dir\\HTTP-Activity-020821.log"},
        {"dir", "LS", {2002, 8, 21}, "dir\\LS-Debug-020821.log"},
        {"dir", "MTA", {2002, 8, 21}, "dir\\MTA-Debug-020821.log"},
        {"dir", "POP", {2002, 8, 21}, "dir\\POP-Debug-020821.log"},
        {"dir", "POPC", {2002, 8, 21}, "dir\\POPC-Activity-020821.log"},
        {"dir", "SMTP", {2002, 8, 21}, "dir\\SMTP-Activity-020821.log"},
        {"dir", "SF", {2002, 8, 21}, "dir\\POC-Debug-020821.log"},
        {"", "SMTP", {2010, 1, 5}, "\\SMTP-Activity-100105.log"},
        {"C:\\Logs\\", "SMTP", {2100, 3, 1}, "C:\\Logs\\\\SMTP-Activity-000301.log"},
        {"dir", "pop", {2002, 12, 31}, "dir\\pop-Activity-021231.log"},
        {"dir", "", {2002, 8, 21}, "dir\\-Activity-020821.log"},
        {"dir", "HTTP", {2003, 1, 1}, "dir\\HTTP-Activity-030101.log"},
    };
    for (const auto& [dir, name, date, file] : rows) {
        EXPECT_EQ(activity::ActiveFileName(dir, name, date), file);
    }
}
