#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "log_file.h"
#include "wine_prefix.h"

namespace activity {

namespace {

// O_NONBLOCK: a FIFO at the path must not hang the open. `error` is errno, or
// ENOENT for a path that could not be mapped.
int OpenForReading(const std::string& path, int& error) {
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    error = fd >= 0 ? 0 : path.empty() ? ENOENT : errno;
    return fd;
}

ScanState WhyNotOpen(int error, const std::string& path) {
    switch (error) {
        case EACCES:
        case EPERM:
            return ScanState::AccessDenied;
        case ENOTDIR:
            return ScanState::FolderMissing;
        case ENOENT: {
            // Only here, where the open failed, is the folder looked at.
            struct stat st {};
            const std::size_t slash = path.rfind('/');
            const bool folder = slash != std::string::npos &&
                                ::stat(path.substr(0, slash).c_str(), &st) == 0 &&
                                S_ISDIR(st.st_mode);
            return folder ? ScanState::FileMissing : ScanState::FolderMissing;
        }
        default:
            return ScanState::Unreadable;
    }
}

// Type, size and identity in one call: statx, for the birth time, where the
// kernel has it (4.11 on); fstat, without one, where it has not. Following
// for a regular file.
ScanState Inspect(int fd, std::int64_t& size, FileIdentity& identity) {
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_SIZE | STATX_INO | STATX_BTIME, &sx) ==
        0) {
        size = static_cast<std::int64_t>(sx.stx_size);
        const bool born = (sx.stx_mask & STATX_BTIME) != 0;
        identity = {makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino,
                    born ? sx.stx_btime.tv_sec * 1'000'000'000 + sx.stx_btime.tv_nsec : 0};
        return S_ISREG(sx.stx_mode) ? ScanState::Following : ScanState::NotAFile;
    }
    struct stat st {};
    if ((errno != ENOSYS && errno != EPERM) || ::fstat(fd, &st) != 0) return ScanState::Unreadable;
    size = st.st_size;
    identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), 0};
    return S_ISREG(st.st_mode) ? ScanState::Following : ScanState::NotAFile;
}

}  // namespace

LogFile::LogFile(const std::string& windowsPath) {
    const std::string prefix = WinePrefixDir();
    std::string path = MapWindowsPathAsGiven(windowsPath, prefix);
    int error = 0;
    int fd = OpenForReading(path, error);
    if (fd < 0 && (error == ENOENT || error == ENOTDIR)) {
        // Windows names ignore case; look the names up only when they differ.
        std::error_code ec;
        const std::string cwd = std::filesystem::current_path(ec).string();
        path = MapWindowsPath(windowsPath, prefix, cwd);
        fd = OpenForReading(path, error);
    }
    if (fd < 0) {
        state_ = WhyNotOpen(error, path);
        return;
    }
    std::int64_t size = 0;
    FileIdentity identity;
    state_ = Inspect(fd, size, identity);
    if (state_ != ScanState::Following) {
        ::close(fd);
        return;
    }
    handle_ = fd;
    size_ = size;
    identity_ = identity;
}

LogFile::~LogFile() {
    if (IsOpen()) ::close(static_cast<int>(handle_));
}

std::int64_t LogFile::ReadAt(std::int64_t offset, char* buffer, std::size_t count) const {
    if (!IsOpen()) return -1;
    for (;;) {
        const ssize_t n = ::pread(static_cast<int>(handle_), buffer, count, offset);
        if (n >= 0) return n;
        if (errno != EINTR) return -1;
    }
}

}  // namespace activity
