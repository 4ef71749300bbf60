#pragma once

#include <string_view>

namespace sim {

// The seven components the monitor follows, with the settings branch each one
// lives in (0 Connectors, 1 Services, other Agents) and where the simulated
// server keeps its logs. POPC keeps its setting on the Connectors key itself;
// MTA's is stored unexpanded, as an installer may leave it.
struct Component {
    std::string_view name;
    int serviceType;
    std::string_view key;  // below "Software\Quor Vane\Quor Vane\"
    std::string_view logDirectory;
    bool expandable;
};

inline constexpr Component kComponents[] = {
    {"HTTPMAIL", 1, "Services\\HTTPMAIL", "C:\\Quorvane\\Logs\\Accès Web", false},
    {"LS", 0, "Connectors\\LS", "C:\\Quorvane\\Logs", false},
    {"MTA", 3, "Agents\\MTA", "%SystemDrive%\\Quorvane\\Logs", true},
    {"POP", 1, "Services\\POP", "C:\\Quorvane\\Logs", false},
    {"POPC", 0, "Connectors", "C:\\Quorvane\\POPC Logs", false},
    {"SMTP", 0, "Connectors\\SMTP", "C:\\Quorvane\\Logs", false},
    {"SF", 0, "Connectors\\SF", "C:\\Quorvane\\Logs", false},
};

}  // namespace sim
