#include <gtest/gtest.h>

#include "components.h"
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
    };
    for (const auto& [dir, name, date, file] : rows) {
        EXPECT_EQ(activity::ActiveFileName(dir, name, date), file);
    }
}

// The seven components in window order, with their settings keys written out.
TEST(LogNaming, EachComponentHasItsKeyInWindowOrder) {
    const std::string root = "SOFTWARE\\Quor Vane\\Quor Vane\\";
    const std::tuple<const char*, int, std::string> rows[] = {
        {"HTTPMAIL", 1, root + "Services\\HTTPMAIL"},
        {"LS", 0, root + "Connectors\\LS"},
        {"MTA", 3, root + "Agents\\MTA"},
        {"POP", 1, root + "Services\\POP"},
        {"POPC", 0, root + "Connectors\\"},
        {"SMTP", 0, root + "Connectors\\SMTP"},
        {"SF", 0, root + "Connectors\\SF"},
    };
    ASSERT_EQ(std::size(activity::kComponents), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [name, type, key] = rows[i];
        const activity::Component& c = activity::kComponents[i];
        EXPECT_EQ(c.name, name);
        EXPECT_EQ(activity::ServiceTypeOf(c.branch), type);
        EXPECT_EQ(activity::SettingsKey(name, c.branch), key);
    }
    // POPC's key goes with its name on every branch, and only with its name.
    using activity::SettingsBranch;
    EXPECT_EQ(activity::SettingsKey("POPC", SettingsBranch::Services), root + "Services\\");
    EXPECT_EQ(activity::SettingsKey("popc", SettingsBranch::Connectors), root + "Connectors\\popc");
}
