#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "entry_batch.h"
#include "local_date.h"
#include "log_file.h"
#include "scan_status.h"

namespace activity {

// Follows one component's log of the day: finds its directory once, and at
// each scan lists the lines written since the previous scan. The activity
// window derives from it and takes each scan's entries in OnEntries().
//
// Nothing is held open between scans and every failure is absorbed: a scan
// that cannot open the file lists nothing and leaves the position alone.
class ActivityFollower {
  public:
    std::string ServiceName;
    std::int32_t ServiceType = 0;
    bool LoadHistoricData = false;

    ActivityFollower();
    virtual ~ActivityFollower();
    ActivityFollower(const ActivityFollower&) = delete;
    ActivityFollower& operator=(const ActivityFollower&) = delete;

    // The component's log directory from the server's settings; "" if none.
    std::string GetLoggingDirectory() const;
    // The full Windows path of today's log.
    std::string GetActiveFileName() const;
    // Lists every new line. Virtual so that an owner which must not block can
    // read in slices (ScanSlice) instead, Initialise's scan included.
    virtual void ScanFile();
    // The current length of today's log; 0 when it cannot be opened.
    std::int64_t GetLastActivity() const;
    // Finds the directory and sets the start: the end of today's log, or its
    // first byte (scanning it at once) with LoadHistoricData.
    void Initialise();

    // Reads at most about `budget` bytes; true when more is waiting, so that a
    // caller can go on later without holding up its thread. Scans in order.
    bool ScanSlice(std::size_t budget);

    // What the last scan, or slice of one, found: Initialise's look counts.
    const ScanStatus& LastScan() const { return status_; }

    std::int64_t ReadPosition() const { return readPosition_; }
    const std::string& LoggingDirectory() const { return loggingDirectory_; }

    // Replaces the clock that names the day's file (tests).
    void SetClock(LocalClock clock) { clock_ = std::move(clock); }

  protected:
    // One call per scan that found entries, in file order. The batch is reused.
    virtual void OnEntries(const EntryBatch& entries) = 0;

  private:
    // Reads `path` from readPosition_ within `budget`; true if more is left.
    bool ReadFrom(const std::string& path, bool flushTail, std::size_t budget);
    // Notes what opening `path` came to; true if it is open.
    bool Saw(const LogFile& file, const std::string& path);

    std::int64_t readPosition_ = 0;
    std::string loggingDirectory_;
    LocalClock clock_;
    std::string followedFile_;       // name of the file readPosition_ is in
    FileIdentity followedIdentity_;  // its identity at the last scan
    bool identityKnown_ = false;
    EntryBatch batch_;
    std::vector<char> buffer_;
    ScanStatus status_;
};

}  // namespace activity
