#include <gtest/gtest.h>

#include "log_naming.h"

using activity::ActiveFileName;
using activity::DateStamp;
using activity::LocalDate;

TEST(LogNaming, DateStampIsTwoDigitYearMonthDay) {
    EXPECT_EQ(DateStamp({2002, 8, 21}), "020821");
    EXPECT_EQ(DateStamp({2010, 1, 5}), "100105");
    EXPECT_EQ(DateStamp({2000, 12, 31}), "001231");
    EXPECT_EQ(DateStamp({2099, 2, 28}), "990228");
    EXPECT_EQ(DateStamp({2100, 3, 1}), "000301");
}

TEST(LogNaming, EachComponentHasItsFile) {
    const LocalDate d{2002, 8, 21};
    const struct {
        const char* name;
        const char* file;
    } table[] = {
        {"HTTPMAIL", "dir\\HTTP-Activity-020821.log"}, {"LS", "dir\\LS-Debug-020821.log"},
        {"MTA", "dir\\MTA-Debug-020821.log"},          {"POP", "dir\\POP-Debug-020821.log"},
        {"POPC", "dir\\POPC-Activity-020821.log"},     {"SMTP", "dir\\SMTP-Activity-020821.log"},
        {"SF", "dir\\POC-Debug-020821.log"},
    };
    for (const auto& row : table) EXPECT_EQ(ActiveFileName("dir", row.name, d), row.file);
}

TEST(LogNaming, NamesAreWholeAndCaseSensitiveAndNothingIsTrimmed) {
    const LocalDate d{2002, 8, 21};
    EXPECT_EQ(ActiveFileName("", "SMTP", d), "\\SMTP-Activity-020821.log");
    EXPECT_EQ(ActiveFileName("C:\\Logs\\", "SMTP", d), "C:\\Logs\\\\SMTP-Activity-020821.log");
    EXPECT_EQ(ActiveFileName("dir", "smtp", d), "dir\\smtp-Activity-020821.log");
    EXPECT_EQ(ActiveFileName("dir", "pop", d), "dir\\pop-Activity-020821.log");
    EXPECT_EQ(ActiveFileName("dir", "", d), "dir\\-Activity-020821.log");
    EXPECT_EQ(ActiveFileName("dir", "POPCX", d), "dir\\POPCX-Activity-020821.log");
    EXPECT_EQ(ActiveFileName("dir", "HTTP", d), "dir\\HTTP-Activity-020821.log");
    EXPECT_EQ(ActiveFileName("C:\\Journées", "SF", d), "C:\\Journées\\POC-Debug-020821.log");
}

TEST(LogNaming, MidnightChangesTheFile) {
    EXPECT_EQ(ActiveFileName("d", "SMTP", {2002, 12, 31}), "d\\SMTP-Activity-021231.log");
    EXPECT_EQ(ActiveFileName("d", "SMTP", {2003, 1, 1}), "d\\SMTP-Activity-030101.log");
}
