#pragma once

#include <csignal>

#include "options.h"

namespace sim {

// Makes or checks the prefix, then writes the components' activity until the
// line budget is spent or one of `stopSignals` (blocked by the caller)
// arrives; a line being written is finished first. Returns the exit status:
// 0 done, 1 a file could not be written, 3 the folder is not the simulator's.
int RunServer(const Options& options, const sigset_t& stopSignals);

}  // namespace sim
