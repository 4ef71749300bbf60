#pragma once

#include <string_view>

#include "components.h"

namespace sim {

// Where the simulated server keeps a component's logs, and whether its
// setting is stored unexpanded (REG_EXPAND_SZ), as an installer may leave it.
struct LogFolder {
    std::string_view directory;
    bool expandable;
};

// Most logs share one folder; POPC has its own and HTTPMAIL's has a
// non-ASCII name, so that the monitor meets both.
inline LogFolder FolderOf(const activity::Component& c) {
    if (c.name == "HTTPMAIL") return {"C:\\Quorvane\\Logs\\Accès Web", false};
    if (c.name == "POPC") return {"C:\\Quorvane\\POPC Logs", false};
    if (c.name == "MTA") return {"%SystemDrive%\\Quorvane\\Logs", true};
    return {"C:\\Quorvane\\Logs", false};
}

}  // namespace sim
