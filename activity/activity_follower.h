#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "components.h"
#include "earlier_lines.h"
#include "entry_batch.h"
#include "local_date.h"
#include "log_file.h"
#include "read_buffer.h"
#include "scan_status.h"

namespace activity {

// The bytes of log text one slice of work reads or looks at before the event
// loop gets its turn: a few tens of milliseconds, however large the burst.
inline constexpr std::size_t kSliceBytes = std::size_t{4} << 20;

// Follows one component's log of the day: finds its directory once, and at
// each scan hands the lines written since the previous scan to its sink.
//
// Nothing is held open between scans and every failure is absorbed: a scan
// that cannot open the file lists nothing and leaves the position alone.
class ActivityFollower {
  public:
    // Takes each scan's (or slice's) entries, in file order; the batch is
    // reused once the call returns.
    using EntrySink = std::function<void(const EntryBatch&)>;

    ActivityFollower(std::string serviceName, SettingsBranch branch, EntrySink sink);
    ActivityFollower(const ActivityFollower&) = delete;
    ActivityFollower& operator=(const ActivityFollower&) = delete;

    const std::string& ServiceName() const { return serviceName_; }
    SettingsBranch Branch() const { return branch_; }
    // List the day's file from its first byte at Initialise; off by default.
    bool LoadHistoricData() const { return loadHistoricData_; }
    void SetLoadHistoricData(bool on) { loadHistoricData_ = on; }

    // The key under HKEY_LOCAL_MACHINE that names the log directory.
    std::string SettingsKey() const { return activity::SettingsKey(serviceName_, branch_); }
    // The component's log directory from the server's settings; "" if none.
    std::string GetLoggingDirectory() const;
    // The full Windows path of today's log.
    std::string GetActiveFileName() const;
    // Lists every new line.
    void ScanFile() { ScanSlice(SIZE_MAX); }
    // The current length of today's log; 0 when it cannot be opened.
    std::int64_t GetLastActivity() const;
    // Finds the directory and sets the start: after the last whole line of
    // today's log, or its first byte with LoadHistoricData, which the caller
    // then scans at once, whole or in slices.
    void Initialise();

    // Reads at most about `budget` bytes; true when more is waiting, so that a
    // caller can go on later without holding up its thread. Scans in order.
    bool ScanSlice(std::size_t budget);

    // What the last scan, or slice of one, found: Initialise's look counts.
    const ScanStatus& LastScan() const { return status_; }

    std::int64_t ReadPosition() const { return readPosition_; }
    // Where the lines listed since the start, a restart of the file, a new day
    // or the last ListFromHere() begin in the file followed.
    const ListingStart& Listing() const { return listing_; }
    // The listing begins anew where reading is now (after its list was emptied).
    void ListFromHere();
    const std::string& LoggingDirectory() const { return loggingDirectory_; }

    // Replaces the clock that names the day's file (tests).
    void SetClock(LocalClock clock) { clock_ = std::move(clock); }

  private:
    // Notes what opening `path` came to and gives its size; false if it did
    // not open. A file truncated or replaced since the last scan is read from
    // its start.
    bool Open(const LogFile& file, const std::string& path, std::int64_t& size);
    // Reads `path` from readPosition_ within `budget`; true if more is left.
    bool ReadFrom(const std::string& path, bool flushTail, std::size_t budget);
    // Where a live start begins in a file of `size` bytes: after its last
    // whole line, so that a line still being written is listed whole.
    std::int64_t LiveStart(const LogFile& file, std::int64_t size) const;
    void ListFrom(std::int64_t offset);

    const std::string serviceName_;
    const SettingsBranch branch_;
    const EntrySink sink_;
    bool loadHistoricData_ = false;
    std::int64_t readPosition_ = 0;
    std::string loggingDirectory_;
    LocalClock clock_;
    std::string followedFile_;       // name of the file readPosition_ is in
    FileIdentity followedIdentity_;  // its identity at the last scan
    bool identityKnown_ = false;
    EntryBatch batch_;
    ReadBuffer buffer_;
    ScanStatus status_;
    ListingStart listing_;
};

}  // namespace activity
