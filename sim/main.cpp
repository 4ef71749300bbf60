// The simulated mail server: see `qv-simserver --help`.
#include <csignal>
#include <cstdio>
#include <string>

#include "options.h"
#include "server.h"

int main(int argc, char** argv) {
    sim::Options options;
    std::string error;
    if (!sim::ParseOptions(argc, argv, options, error)) {
        if (error.empty()) {
            std::fputs(sim::kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "qv-simserver: %s\n%s", error.c_str(), sim::kUsage);
        return 2;
    }
    // Blocked, so that they wait for the end of the line being written and
    // are taken only where the server sleeps.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    return sim::RunServer(options, stopSignals);
}
