#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "log_days.h"
#include "test_server.h"

namespace fs = std::filesystem;

// One folder set up an entry at a time: after each, the days are those of the
// entries so far that name a log, sorted, each once.
TEST(LogDays, ReadsTheNamesOfLogsBackwards) {
    const TestServer server;
    const std::string root = server.WindowsLogDir();
    const std::vector<activity::ComponentFolder> folders = {
        {"SMTP", root + "\\SMTP"},  // the folder's case differs from the setting's
        {"POP", root + "\\shared"},
        {"POPC", root + "\\shared"},
        {"SF", root + "\\shared\\"},
        {"X", root + "\\shared"},                         // outside the table: the default form
        {"MTA", root + "\\mta"},                          // missing until its last row
        {"HTTPMAIL", root + "\\missing"},                 // never made
        {"LS", root + "\\shared\\POP-Debug-260105.log"},  // a file, not a folder
        {"LS", ""},
    };
    const struct {
        const char* folder;
        std::string_view name;
        int day;  // yyyymmdd; 0: no log
        bool isFolder = false;
    } kRows[] = {
        {"Smtp", "SMTP-Activity-260105.log", 20260105},
        {"Smtp", "smtp-ACTIVITY-260106.LOG", 20260106},
        {"Smtp", "SMTP-Activity-240229.log", 20240229},
        {"Smtp", "SMTP-Activity-000101.log", 20000101},
        {"Smtp", "SMTP-Activity-991231.log", 20991231},
        {"Smtp", "SMTP-Activity-260107.log", 0, true},
        // Dates that are none.
        {"Smtp", "SMTP-Activity-261332.log", 0},
        {"Smtp", "SMTP-Activity-260229.log", 0},
        {"Smtp", "SMTP-Activity-260431.log", 0},
        {"Smtp", "SMTP-Activity-260100.log", 0},
        {"Smtp", "SMTP-Activity-260001.log", 0},
        {"Smtp", "SMTP-Activity-26010.log", 0},
        {"Smtp", "SMTP-Activity-2601088.log", 0},
        {"Smtp", "SMTP-Activity-26O108.log", 0},
        {"Smtp", "SMTP-Activity--60108.log", 0},
        {"Smtp", "SMTP-Activity-２６0108.log", 0},
        // Other names.
        {"Smtp", "SMTP-Activity-260108.log.bak", 0},
        {"Smtp", "SMTP-Activity-260108.txt", 0},
        {"Smtp", "SMTP-Activity-260108", 0},
        {"Smtp", "xSMTP-Activity-260108.log", 0},
        {"Smtp", "SMTP-Activité-260108.log", 0},
        {"Smtp", "POP-Debug-260108.log", 0},  // another component's
        // A folder several components share, each with its own name.
        {"shared", "POP-Debug-260105.log", 20260105},
        {"shared", "POPC-Activity-260109.log", 20260109},
        {"shared", "POC-Debug-260110.log", 20260110},
        {"shared", "X-Activity-260111.log", 20260111},
        {"shared", "SF-Activity-260112.log", 0},
        {"shared", "SMTP-Activity-260112.log", 0},
        {"shared", "pop-debug-231130.Log", 20231130},
        {"mta", "LS-Debug-260113.log", 0},  // another component's
    };
    std::set<int> want;
    for (const auto& row : kRows) {
        const fs::path path =
            server.LocalLogDir() / row.folder / std::u8string(row.name.begin(), row.name.end());
        if (row.isFolder) {
            fs::create_directories(path);
        } else {
            fs::create_directories(path.parent_path());
            std::ofstream(path) << "12:00:00 a line of a log\r\n";
        }
        if (row.day) want.insert(row.day);
        std::vector<int> days;
        for (const auto& d : activity::LogDays(folders))
            days.push_back(d.year * 10000 + d.month * 100 + d.day);
        EXPECT_EQ(days, std::vector(want.begin(), want.end())) << row.folder << "/" << row.name;
    }
}
