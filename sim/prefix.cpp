#include "prefix.h"

#include <system_error>

namespace sim {

namespace fs = std::filesystem;

namespace {

constexpr char kCodePageKey[] = "System\\CurrentControlSet\\Control\\Nls\\CodePage";
constexpr char kMarkerText[] =
    "This Wine-style prefix was made by qv-simserver, the simulated Quorvane mail server.\n"
    "The simulator writes here again without being told to (--force).\n";

bool LinkIfMissing(const fs::path& target, const fs::path& link, std::string& error) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(link, ec))) return true;
    fs::create_directory_symlink(target, link, ec);
    if (ec) error = "cannot link " + link.string() + ": " + ec.message();
    return !ec;
}

}  // namespace

RegistryFile ServerSettings() {
    RegistryFile settings;
    for (const activity::Component& c : activity::kComponents) {
        const LogFolder folder = FolderOf(c);
        settings.SetString(activity::SettingsKey(c.name, c.branch), activity::kDirectoryValue,
                           folder.directory, folder.expandable);
    }
    settings.SetRaw(kCodePageKey, "ACP", "\"1252\"");
    settings.SetRaw(kCodePageKey, "MACCP", "\"10000\"");
    settings.SetRaw(kCodePageKey, "OEMCP", "\"437\"");
    return settings;
}

PrefixResult PreparePrefix(const fs::path& dir, bool force, std::string& error) {
    std::error_code ec;
    const bool exists = fs::exists(dir, ec);
    if (exists && !fs::is_directory(dir, ec)) {
        error = dir.string() + " is not a folder";
        return PrefixResult::kFailed;
    }
    const bool fresh = !exists || fs::is_empty(dir, ec);
    if (!fresh && !fs::exists(dir / kMarkerName, ec) && !force) return PrefixResult::kNotOurs;

    fs::create_directories(dir / "drive_c", ec);
    if (!ec) fs::create_directories(dir / "dosdevices", ec);
    if (ec) {
        error = "cannot create " + dir.string() + ": " + ec.message();
        return PrefixResult::kFailed;
    }
    if (fresh && !WriteFileAtomically(dir / kMarkerName, kMarkerText)) {
        error = "cannot write " + (dir / kMarkerName).string();
        return PrefixResult::kFailed;
    }
    const fs::path reg = dir / "system.reg";
    if (!fs::exists(reg, ec) && !ServerSettings().Save(reg, std::time(nullptr))) {
        error = "cannot write " + reg.string();
        return PrefixResult::kFailed;
    }
    if (!LinkIfMissing("../drive_c", dir / "dosdevices" / "c:", error) ||
        !LinkIfMissing("/", dir / "dosdevices" / "z:", error)) {
        return PrefixResult::kFailed;
    }
    return PrefixResult::kReady;
}

}  // namespace sim
