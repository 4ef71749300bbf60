#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "scan_status.h"

namespace activity {

// Which file a handle has open: device and inode on POSIX, volume serial and
// file index on Windows. Tells a replaced log from the one followed before.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    // Birth time in ns on POSIX, where the file system keeps one (else 0): ext4
    // gives a file made after a deletion the deleted one's inode at once.
    // Windows file indexes carry a sequence number and need none.
    std::int64_t born = 0;
    bool operator==(const FileIdentity&) const = default;
};

// A log file opened for reading only, never in a way that blocks or hinders
// the server writing it, and closed when this object goes. Only a regular
// file opens. log_file_posix.cpp maps the Windows path through the Wine
// prefix; log_file_win.cpp opens it with every share mode.
class LogFile {
  public:
    explicit LogFile(const std::string& windowsPath);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    bool IsOpen() const { return handle_ != kInvalid; }
    // Following when open; else why not, told from the open's error, with one
    // look at the folder only where the error leaves it open.
    ScanState State() const { return state_; }

    // Size and identity of the open file as it was opened; false if not open.
    bool Query(std::int64_t& size, FileIdentity& identity) const {
        size = size_;
        identity = identity_;
        return IsOpen();
    }

    // Reads up to `count` bytes at `offset`; the bytes read, 0 at the end, -1
    // on failure.
    std::int64_t ReadAt(std::int64_t offset, char* buffer, std::size_t count) const;

  private:
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t handle_ = kInvalid;
    // Taken when opening, where the file type has to be checked anyway, so an
    // unchanged file costs one open, one query and one close.
    std::int64_t size_ = 0;
    FileIdentity identity_;
    ScanState state_ = ScanState::Unreadable;
};

}  // namespace activity
