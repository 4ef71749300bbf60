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

// O_NONBLOCK: a FIFO at the path must not hang the open.
int OpenForReading(const std::string& path) {
    return path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// Type, size and identity in one call: statx, for the birth time, where the
// kernel has it (4.11 on); fstat, without one, where it has not.
bool IsRegularFile(int fd, std::int64_t& size, FileIdentity& identity) {
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_SIZE | STATX_INO | STATX_BTIME, &sx) ==
        0) {
        size = static_cast<std::int64_t>(sx.stx_size);
        const bool born = (sx.stx_mask & STATX_BTIME) != 0;
        identity = {makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino,
                    born ? sx.stx_btime.tv_sec * 1'000'000'000 + sx.stx_btime.tv_nsec : 0};
        return S_ISREG(sx.stx_mode);
    }
    struct stat st {};
    if ((errno != ENOSYS && errno != EPERM) || ::fstat(fd, &st) != 0) return false;
    size = st.st_size;
    identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), 0};
    return S_ISREG(st.st_mode);
}

}  // namespace

LogFile::LogFile(const std::string& windowsPath) {
    const std::string prefix = WinePrefixDir();
    int fd = OpenForReading(MapWindowsPathAsGiven(windowsPath, prefix));
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        // Windows names ignore case; look the names up only when they differ.
        std::error_code ec;
        const std::string cwd = std::filesystem::current_path(ec).string();
        fd = OpenForReading(MapWindowsPath(windowsPath, prefix, cwd));
    }
    if (fd < 0) return;
    std::int64_t size = 0;
    FileIdentity identity;
    if (!IsRegularFile(fd, size, identity)) {
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
