#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "folder_listing.h"
#include "wine_prefix.h"

namespace activity {

void ForEachFileIn(const std::string& windowsDir,
                   const std::function<void(std::string_view name)>& take) {
    if (windowsDir.empty()) return;
    // As LogFile opens: the names as given, and only when they are not there
    // looked up case aside, as Windows compares them.
    const std::string prefix = WinePrefixDir();
    std::string path = MapWindowsPathAsGiven(windowsDir, prefix);
    DIR* dir = path.empty() ? nullptr : ::opendir(path.c_str());
    if (!dir && (path.empty() || errno == ENOENT || errno == ENOTDIR)) {
        std::error_code ec;
        path = MapWindowsPath(windowsDir, prefix, std::filesystem::current_path(ec).string());
        dir = path.empty() ? nullptr : ::opendir(path.c_str());
    }
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Wine, like LogFile, opens what a link points at.
            struct stat st {};
            file = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (file) take(entry->d_name);
    }
    ::closedir(dir);
}

}  // namespace activity
