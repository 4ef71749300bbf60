#include "daily_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "log_naming.h"
#include "wine_prefix.h"

namespace sim {

DailyLog::DailyLog(std::string prefix, std::string windowsDirectory, std::string serviceName)
    : prefix_(std::move(prefix)),
      windowsDirectory_(std::move(windowsDirectory)),
      serviceName_(std::move(serviceName)) {}

DailyLog::~DailyLog() {
    if (fd_ >= 0) ::close(fd_);
}

bool DailyLog::Use(const activity::LocalDate& date) {
    if (fd_ >= 0 && date == date_) return true;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    // The monitor's own naming and path mapping: both sides find the same file.
    const std::string windowsPath = activity::ActiveFileName(windowsDirectory_, serviceName_, date);
    std::error_code ec;
    path_ = activity::MapWindowsPath(windowsPath, prefix_, std::filesystem::current_path(ec));
    if (path_.empty()) return false;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    date_ = date;
    return fd_ >= 0;
}

bool DailyLog::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace sim
