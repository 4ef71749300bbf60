#pragma once

#include <string>

// The monitor's version, CMake's project version.
extern const char kAppVersion[];

// What the command line asks for. Read before QApplication exists, so that
// --help, --version and a mistake answer without a display.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string winePrefix;  // when not empty, stands in for $WINEPREFIX
    std::string error;
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// Prints what help, the version or a mistake asks for and returns the exit
// status. For a run, applies the options to the process and returns -1.
int ActOnCommandLine(const CommandLine& line);
