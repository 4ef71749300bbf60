#include "command_line.h"

#include <stdlib.h>

#include <cstdio>
#include <string_view>
#include <utility>

const char kAppVersion[] = QV_VERSION;

namespace {

// Qt's own options (-platform, -style...) are not taken: its environment
// variables (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE...) do the same.
constexpr char kUsage[] =
#ifdef _WIN32
    "Usage: QVActivityMonitor\n"
#else
    "Usage: QVActivityMonitor [--wine-prefix DIR]\n"
#endif
    "       QVActivityMonitor --help | --version\n"
    "Follows the activity logs of the Quorvane mail server on this machine, as\n"
    "they are written, in one window per component. It only ever reads.\n"
    "\n"
#ifndef _WIN32
    "  --wine-prefix DIR  the Wine prefix the server runs in (default: $WINEPREFIX,\n"
    "                     or ~/.wine when that is unset)\n"
#endif
    "  -h, --help         show this text\n"
    "  --version          show the version\n";

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    const auto fail = [&line](std::string error) {
        line.action = CommandLine::Action::Error;
        line.error = std::move(error);
        return line;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
#ifndef _WIN32
        constexpr std::string_view kPrefix = "--wine-prefix";
        if (arg == kPrefix || arg.starts_with("--wine-prefix=")) {
            std::string_view dir;
            if (arg.size() > kPrefix.size()) {
                dir = arg.substr(kPrefix.size() + 1);
            } else if (i + 1 < argc) {
                dir = argv[++i];
            } else {
                return fail("--wine-prefix needs a folder");
            }
            // An empty $WINEPREFIX means ~/.wine: an empty option would not be what was meant.
            if (dir.empty()) return fail("--wine-prefix needs a folder");
            line.winePrefix = dir;
            continue;
        }
#endif
        return fail((arg.starts_with("-") ? "unknown option " : "unexpected argument ") +
                    std::string(arg));
    }
    return line;
}

int ActOnCommandLine(const CommandLine& line) {
    switch (line.action) {
        case CommandLine::Action::Help:
            std::fputs(kUsage, stdout);
            return 0;
        case CommandLine::Action::Version:
            std::printf("QVActivityMonitor %s\n", kAppVersion);
            return 0;
        case CommandLine::Action::Error:
            std::fprintf(stderr, "QVActivityMonitor: %s\n%s", line.error.c_str(), kUsage);
            return 2;
        case CommandLine::Action::Run:
            break;
    }
#ifndef _WIN32
    // The core reads the prefix from the environment at each look-up.
    if (!line.winePrefix.empty()) setenv("WINEPREFIX", line.winePrefix.c_str(), 1);
#endif
    return -1;
}
