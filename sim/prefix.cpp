#include "prefix.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <system_error>

#include "activity_follower.h"
#include "text.h"

namespace sim {

namespace fs = std::filesystem;

namespace {

constexpr char kRoot[] = "Software\\Quor Vane\\Quor Vane\\";
constexpr char kCodePageKey[] = "System\\CurrentControlSet\\Control\\Nls\\CodePage";
constexpr char kMarkerText[] =
    "This Wine-style prefix was made by qv-simserver, the simulated Quorvane mail server.\n"
    "The simulator writes here again without being told to (--force).\n";

// A saved key's header: its name, its time in seconds since 1970, and the
// same time as a FILETIME.
std::string KeyHeader(std::string_view name, std::time_t now) {
    std::string key(name);
    if (!key.empty() && key.back() == '\\') key.pop_back();
    const auto filetime = (static_cast<unsigned long long>(now) + 11644473600ULL) * 10000000ULL;
    char times[64];
    std::snprintf(times, sizeof times, "] %lld\n#time=%llx\n", static_cast<long long>(now),
                  filetime);
    std::string header = "[";
    header += EscapeRegString(key);
    header += times;
    return header;
}

bool WriteFileAtomically(const fs::path& path, const std::string& text) {
    const fs::path temporary = path.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) return false;
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    return !ec;
}

bool LinkIfMissing(const fs::path& target, const fs::path& link, std::string& error) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(link, ec))) return true;
    fs::create_directory_symlink(target, link, ec);
    if (ec) error = "cannot link " + link.string() + ": " + ec.message();
    return !ec;
}

}  // namespace

std::string SystemRegText(std::time_t now) {
    // Wine saves keys in name order; a key with neither values nor its own
    // timestamp need not be written.
    std::map<std::string, std::string> keys;
    for (const Component& c : kComponents) {
        std::string line = "\"Activity Log Directory\"=";
        if (c.expandable) line += "str(2):";
        line += '"';
        line += EscapeRegString(c.logDirectory);
        line += "\"\n";
        keys[std::string(kRoot) + std::string(c.key)] += line;
    }
    keys[kCodePageKey] = "\"ACP\"=\"1252\"\n\"MACCP\"=\"10000\"\n\"OEMCP\"=\"437\"\n";

    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n";
    text += "#arch=win64\n";
    for (const auto& [name, values] : keys) {
        text += '\n';
        text += KeyHeader(name, now);
        text += values;
    }
    return text;
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
    if (!fs::exists(reg, ec) && !WriteFileAtomically(reg, SystemRegText(std::time(nullptr)))) {
        error = "cannot write " + reg.string();
        return PrefixResult::kFailed;
    }
    if (!LinkIfMissing("../drive_c", dir / "dosdevices" / "c:", error) ||
        !LinkIfMissing("/", dir / "dosdevices" / "z:", error)) {
        return PrefixResult::kFailed;
    }
    return PrefixResult::kReady;
}

namespace {

// The follower's look-up without following anything.
class Locator final : public activity::ActivityFollower {
  protected:
    void OnEntries(const activity::EntryBatch&) override {}
};

}  // namespace

std::string LoggingDirectory(const Component& component) {
    Locator locator;
    locator.ServiceName = std::string(component.name);
    locator.ServiceType = component.serviceType;
    return locator.GetLoggingDirectory();
}

}  // namespace sim
