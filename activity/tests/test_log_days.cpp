#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "log_days.h"
#include "test_server.h"

namespace fs = std::filesystem;

namespace {

fs::path Local(const fs::path& dir, std::string_view name) {
    return dir / fs::path(std::u8string(name.begin(), name.end()));
}

std::vector<std::string> Stamps(const std::vector<activity::LocalDate>& days) {
    std::vector<std::string> out;
    for (const auto& d : days) {
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
        out.emplace_back(text);
    }
    return out;
}

}  // namespace

// One folder set up an entry at a time: after each, the days are those of the
// entries so far that name a log, sorted, each once.
TEST(LogDays, ReadsTheNamesOfLogsBackwards) {
    const TestServer server;
    const std::string root = server.WindowsLogDir();
    fs::create_directories(server.LocalLogDir() / "Smtp");
    fs::create_directories(server.LocalLogDir() / "shared");
    fs::create_directories(server.LocalLogDir() / "empty");
    const std::vector<activity::ComponentFolder> folders = {
        {"SMTP", root + "\\SMTP"},  // the folder's case differs from the setting's
        {"POP", root + "\\shared"},
        {"POPC", root + "\\shared"},
        {"SF", root + "\\shared\\"},
        {"X", root + "\\shared"},  // outside the table: the default form
        {"MTA", root + "\\empty"},
        {"HTTPMAIL", root + "\\missing"},                 // never made
        {"LS", root + "\\shared\\POP-Debug-260105.log"},  // a file, not a folder
        {"LS", ""},
    };
    const struct {
        const char* folder;
        std::string_view name;
        const char* day;  // nullptr: no log
        bool isFolder = false;
    } kRows[] = {
        {"Smtp", "SMTP-Activity-260105.log", "2026-01-05"},
        {"Smtp", "smtp-ACTIVITY-260106.LOG", "2026-01-06"},
        {"Smtp", "SMTP-Activity-240229.log", "2024-02-29"},
        {"Smtp", "SMTP-Activity-000101.log", "2000-01-01"},
        {"Smtp", "SMTP-Activity-991231.log", "2099-12-31"},
        {"Smtp", "SMTP-Activity-260107.log", nullptr, true},
        // Dates that are none.
        {"Smtp", "SMTP-Activity-261332.log", nullptr},
        {"Smtp", "SMTP-Activity-260229.log", nullptr},
        {"Smtp", "SMTP-Activity-260431.log", nullptr},
        {"Smtp", "SMTP-Activity-260100.log", nullptr},
        {"Smtp", "SMTP-Activity-260001.log", nullptr},
        {"Smtp", "SMTP-Activity-26010.log", nullptr},
        {"Smtp", "SMTP-Activity-2601088.log", nullptr},
        {"Smtp", "SMTP-Activity-26O108.log", nullptr},
        {"Smtp", "SMTP-Activity--60108.log", nullptr},
        {"Smtp", "SMTP-Activity-+60108.log", nullptr},
        {"Smtp", "SMTP-Activity-２６0108.log", nullptr},
        // Other names.
        {"Smtp", "SMTP-Activity-260108.log.bak", nullptr},
        {"Smtp", "SMTP-Activity-260108.txt", nullptr},
        {"Smtp", "SMTP-Activity-260108", nullptr},
        {"Smtp", "SMTP-Activity-260108log", nullptr},
        {"Smtp", "xSMTP-Activity-260108.log", nullptr},
        {"Smtp", " SMTP-Activity-260108.log", nullptr},
        {"Smtp", "SMTP-Activité-260108.log", nullptr},
        {"Smtp", "SMTP-Debug-260108.log", nullptr},
        {"Smtp", "POP-Debug-260108.log", nullptr},  // another component's
        // A folder several components share, each with its own name.
        {"shared", "POP-Debug-260105.log", "2026-01-05"},
        {"shared", "POPC-Activity-260109.log", "2026-01-09"},
        {"shared", "POC-Debug-260110.log", "2026-01-10"},
        {"shared", "X-Activity-260111.log", "2026-01-11"},
        {"shared", "SF-Activity-260112.log", nullptr},
        {"shared", "SMTP-Activity-260112.log", nullptr},
        {"shared", "POPC-Debug-260112.log", nullptr},
        {"shared", "pop-debug-231130.Log", "2023-11-30"},
        {"empty", "LS-Debug-260113.log", nullptr},  // LS's folder is elsewhere
    };
    std::set<std::string> want;
    for (const auto& row : kRows) {
        const fs::path path = Local(server.LocalLogDir() / row.folder, row.name);
        if (row.isFolder) {
            fs::create_directories(path);
        } else {
            fs::create_directories(path.parent_path());
            std::ofstream(path) << "12:00:00 a line of a log\r\n";
        }
        if (row.day) want.insert(row.day);
        EXPECT_EQ(Stamps(activity::LogDays(folders)), std::vector(want.begin(), want.end()))
            << row.folder << "/" << row.name;
    }
    EXPECT_TRUE(activity::LogDays({}).empty());
}
