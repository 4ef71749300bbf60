#include <fcntl.h>
#include <sys/stat.h>
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
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    handle_ = fd;
    size_ = st.st_size;
    identity_ = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
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
