#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "entry_batch.h"
#include "local_date.h"
#include "scan_status.h"

namespace activity {

// A component and the folder its settings name ("" when none). The caller
// looks the folder up, so that a search on a worker thread reads no settings.
struct ComponentFolder {
    std::string name;  // as in kComponents
    std::string directory;
};

// Find in Logs: lines that contain a text, as the filter matches it (case
// aside, the same folding), in the logs of one day.
struct LogSearchRequest {
    std::string text;  // UTF-8; empty finds nothing
    LocalDate day;
    std::vector<ComponentFolder> components;  // in the order to search and report
    // The search stops once this many lines, or this much text, was found
    // (the line that reaches the text cap is listed).
    std::size_t maxEntries = SIZE_MAX;
    std::size_t maxTextBytes = SIZE_MAX;
};

struct LogSearchOutcome {
    // Per component, in the request's order: Following when its log was read
    // to its end (or to the cap or Cancel), else why it could not be.
    std::vector<ScanStatus> components;
    bool cancelled = false;
    bool capped = false;  // stopped at a cap: what came after was not looked at
};

// Takes one component's matching lines (UTF-8, as a scan lists them), in file
// order, a batch at a time; `component` is its place in the request. The batch
// is reused once the call returns. Two logs may be searched at once: batches
// of different components can come in turns, and the calls (and those to the
// progress) come one at a time but not always from the caller's thread.
using LogSearchSink = std::function<void(std::size_t component, const EntryBatch& lines)>;
// Bytes looked at so far, and the sum of the files' sizes when first opened.
using LogSearchProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Searches each component's log of `request.day`, named by the same rules as
// the day's file a follower reads, with the follower's line rules (more than
// 10 characters, CR/LF/CRLF, the code page). Opens each file as the follower
// does, never hindering the server, and writes nothing. Polls `cancel` between
// slices. Safe on a worker thread: it touches nothing shared (the system's
// decoder, made once, is made before a second thread starts).
LogSearchOutcome SearchLogs(const LogSearchRequest& request, const std::atomic<bool>& cancel,
                            const LogSearchProgress& progress, const LogSearchSink& sink);

// Seconds since midnight of an "hh:mm:ss" at the very start of `line`; -1
// when it does not start with one.
int LeadingTimeOfDay(std::string_view line);

// Orders the lines of several components by time of day. `times[c]` holds
// component c's LeadingTimeOfDay of each line, in file order. A line without a
// time takes the time of the nearest line before it in its own component (0
// before any); ties keep the components' order, and each component keeps its
// file order. Returns (component, line) pairs.
std::vector<std::pair<std::size_t, std::size_t>> MergeByTime(
    const std::vector<std::vector<int>>& times);

}  // namespace activity
