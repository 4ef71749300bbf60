#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "components.h"

namespace sim {

// Left in every prefix the simulator makes: its licence to write there again.
inline constexpr char kMarkerName[] = ".qv-simserver";

enum class PrefixResult { kReady, kNotOurs, kFailed };

// Makes `dir` a Wine-style prefix holding the server's settings: system.reg,
// drive_c/ and dosdevices/ (c: -> ../drive_c, z: -> /). A missing or empty
// folder becomes the simulator's own; one with the marker is reused as it is,
// with only missing parts added. Any other folder is kNotOurs unless `force`,
// and then gains only what it lacks. `error` says why on kFailed.
PrefixResult PreparePrefix(const std::filesystem::path& dir, bool force, std::string& error);

// system.reg as Wine 8 saves it, with the components' directories and the
// ANSI code page 1252, dated `now`.
std::string SystemRegText(std::time_t now);

// The Windows log directory the monitor finds for `component` in the prefix
// named by $WINEPREFIX: the monitor's own look-up, so the two cannot disagree.
std::string LoggingDirectory(const Component& component);

}  // namespace sim
