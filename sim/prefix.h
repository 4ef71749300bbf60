#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "log_folders.h"
#include "registry_file.h"

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

// The server's settings as the simulator stores them: each component's log
// folder where the monitor looks, and the ANSI code page 1252.
RegistryFile ServerSettings();

}  // namespace sim
