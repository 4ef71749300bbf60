#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace activity {

// The branch of the server's settings a component keeps its key in.
enum class SettingsBranch { Connectors, Services, Agents };

// What the monitor knows of one component of the server.
struct Component {
    std::string_view name;  // ServiceName: whole, case-sensitive
    SettingsBranch branch;
    std::string_view filePrefix;  // the day's log: prefix, "YYMMDD", ".log"
    bool onBranchKey;             // its setting is on the branch key itself
};

// In window order: the last one opened is the active window after start-up.
inline constexpr Component kComponents[] = {
    {"HTTPMAIL", SettingsBranch::Services, "HTTP-Activity-", false},
    {"LS", SettingsBranch::Connectors, "LS-Debug-", false},
    {"MTA", SettingsBranch::Agents, "MTA-Debug-", false},
    {"POP", SettingsBranch::Services, "POP-Debug-", false},
    {"POPC", SettingsBranch::Connectors, "POPC-Activity-", true},
    {"SMTP", SettingsBranch::Connectors, "SMTP-Activity-", false},
    {"SF", SettingsBranch::Connectors, "POC-Debug-", false},
};

inline constexpr std::string_view kLogSuffix = ".log";
inline constexpr std::string_view kSettingsRoot = "SOFTWARE\\Quor Vane\\Quor Vane\\";
inline constexpr std::string_view kDirectoryValue = "Activity Log Directory";

// The component called `name` exactly, or nullptr.
const Component* FindComponent(std::string_view name);

// The windows' integer ServiceType: 0 Connectors, 1 Services, 3 Agents.
std::int32_t ServiceTypeOf(SettingsBranch branch);

// The key under HKEY_LOCAL_MACHINE that holds `name`'s log directory. A name
// outside the table has a key of its own below the branch.
std::string SettingsKey(std::string_view name, SettingsBranch branch);

// `name`'s log directory from the server's settings; "" when there is none.
std::string LogDirectory(std::string_view name, SettingsBranch branch);

}  // namespace activity
