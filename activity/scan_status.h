#pragma once

#include <cstdint>
#include <string>

namespace activity {

// What the last scan found at the log's path. The window words it, so that a
// broken setup does not look like a quiet server.
enum class ScanState : std::uint8_t {
    NotScanned,
    Following,      // the file opened and was read
    NoSetting,      // the settings name no folder, and nothing opened where that leads
    FolderMissing,  // the folder is not there
    FileMissing,    // the folder is there, the day's file not yet
    AccessDenied,
    NotAFile,    // a directory, device or pipe at the path
    Unreadable,  // any other failure of the open
};

// Why the last scan read the file again from its first byte.
enum class Restart : std::uint8_t { None, Truncated, Replaced };

struct ScanStatus {
    ScanState state = ScanState::NotScanned;
    Restart restart = Restart::None;
    std::string file;  // the Windows path opened or tried
};

}  // namespace activity
