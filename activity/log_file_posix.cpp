#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "log_file.h"
#include "wine_prefix.h"

namespace activity {

LogFile::LogFile(const std::string& windowsPath) {
    char cwd[PATH_MAX];
    const std::string path =
        MapWindowsPath(windowsPath, WinePrefixDir(), getcwd(cwd, sizeof cwd) ? cwd : "/");
    if (path.empty()) return;
    // O_NONBLOCK: a FIFO at the path must not hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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

bool LogFile::Query(std::int64_t& size, FileIdentity& identity) const {
    if (!IsOpen()) return false;
    size = size_;
    identity = identity_;
    return true;
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
