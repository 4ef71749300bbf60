#include <gtest/gtest.h>

#include "components.h"
#include "log_naming.h"

// The seven components in window order, each with its settings key and its
// file written out, not derived from the code's table; then names taken whole
// and case-sensitive, nothing trimmed, two-digit dates.
TEST(LogNaming, EachComponentHasItsKeyAndFileInWindowOrder) {
    const std::string root = "SOFTWARE\\Quor Vane\\Quor Vane\\";
    const std::tuple<const char*, int, std::string, const char*> rows[] = {
        {"HTTPMAIL", 1, root + "Services\\HTTPMAIL", "dir\\HTTP-Activity-020821.log"},
        {"LS", 0, root + "Connectors\\LS", "dir\\LS-Debug-020821.log"},
        {"MTA", 3, root + "Agents\\MTA", "dir\\MTA-Debug-020821.log"},
        {"POP", 1, root + "Services\\POP", "dir\\POP-Debug-020821.log"},
        {"POPC", 0, root + "Connectors\\", "dir\\POPC-Activity-020821.log"},
        {"SMTP", 0, root + "Connectors\\SMTP", "dir\\SMTP-Activity-020821.log"},
        {"SF", 0, root + "Connectors\\SF", "dir\\POC-Debug-020821.log"},
    };
    ASSERT_EQ(std::size(activity::kComponents), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [name, type, key, file] = rows[i];
        const activity::Component& c = activity::kComponents[i];
        EXPECT_EQ(c.name, name);
        EXPECT_EQ(activity::ServiceTypeOf(c.branch), type);
        EXPECT_EQ(activity::SettingsKey(name, c.branch), key);
        EXPECT_EQ(activity::ActiveFileName("dir", name, {2002, 8, 21}), file);
    }
    const std::tuple<const char*, const char*, activity::LocalDate, const char*> files[] = {
        {"", "SMTP", {2010, 1, 5}, "\\SMTP-Activity-100105.log"},
        {"C:\\Logs\\", "SMTP", {2100, 3, 1}, "C:\\Logs\\\\SMTP-Activity-000301.log"},
        {"dir", "pop", {2002, 12, 31}, "dir\\pop-Activity-021231.log"},
        {"dir", "", {2002, 8, 21}, "dir\\-Activity-020821.log"},
    };
    for (const auto& [dir, name, date, file] : files) {
        EXPECT_EQ(activity::ActiveFileName(dir, name, date), file);
    }
    // POPC's key goes with its name on every branch, and only with its name.
    using activity::SettingsBranch;
    EXPECT_EQ(activity::SettingsKey("POPC", SettingsBranch::Services), root + "Services\\");
    EXPECT_EQ(activity::SettingsKey("popc", SettingsBranch::Connectors), root + "Connectors\\popc");
}
