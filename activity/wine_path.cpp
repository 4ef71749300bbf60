#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>
#include <vector>

#include "case_fold.h"
#include "wine_prefix.h"

namespace activity {

namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::vector<std::string> Split(std::string_view path, bool backslashSeparates) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && !(backslashSeparates && path[i] == '\\')) continue;
        if (i > start) parts.emplace_back(path.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

bool ExistsAsIs(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The entry of `dir` whose name equals `name` but for case; the smallest such
// name when several do, so that the answer does not depend on readdir order.
std::optional<std::string> FindIgnoringCase(const std::string& dir, const std::string& name) {
    const std::u16string wanted = FoldedUtf16(name);
    std::optional<std::string> best;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (FoldedUtf16(entry) == wanted && (!best || entry < *best)) best = std::move(entry);
    }
    return best;
}

bool Contains(const std::string& dir, const std::string& path) {
    if (path.compare(0, dir.size(), dir) != 0) return false;
    return path.size() == dir.size() || dir.back() == '/' || path[dir.size()] == '/';
}

// The drive whose target holds `cwd` most closely, as "x:"; "z:" when none does.
std::string CurrentDrive(const std::string& devices, const std::string& cwd) {
    std::error_code ec;
    const std::string here = cwd.empty() ? std::string() : fs::canonical(cwd, ec).string();
    std::string best = "z:";
    std::size_t bestLength = 0;
    if (ec || here.empty()) return best;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const std::string drive{letter, ':'};
        const std::string target = fs::canonical(devices + "/" + drive, ec).string();
        if (ec || target.empty() || !Contains(target, here) || target.size() <= bestLength)
            continue;
        best = drive;
        bestLength = target.size();
    }
    return best;
}

// Drops "." and empty components, resolves "..", never above the first
// `floor` components, and trims the last name as Windows does.
void Resolve(const std::vector<std::string>& parts, std::size_t floor,
             std::vector<std::string>& resolved) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string part = parts[i];
        if (part == "..") {
            if (resolved.size() > floor) resolved.pop_back();
            continue;
        }
        if (i + 1 == parts.size()) {
            while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        }
        if (!part.empty() && part != ".") resolved.push_back(std::move(part));
    }
}

}  // namespace

std::string WinePrefixDir() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix) return prefix;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine";
}

namespace {

std::string Map(std::string_view windowsPath, const std::string& prefix,
                const std::function<std::string()>& currentDir, bool matchCase) {
    if (windowsPath.empty()) return {};
    std::string devices = prefix;
    while (!devices.empty() && devices.back() == '/') devices.pop_back();
    devices += "/dosdevices";

    std::string_view rest = windowsPath;
    bool unc = rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1]);
    // "\\?\" and "\\.\" only turn off Windows' own parsing: the path is the same.
    if (unc && rest.size() >= 4 && (rest[2] == '?' || rest[2] == '.') && IsSeparator(rest[3])) {
        rest.remove_prefix(4);
        unc = rest.size() >= 4 && AsciiLower(rest[0]) == 'u' && AsciiLower(rest[1]) == 'n' &&
              AsciiLower(rest[2]) == 'c' && IsSeparator(rest[3]);
        if (unc) rest.remove_prefix(4);
        if (rest.empty()) return {};
    }

    std::string root;
    std::vector<std::string> base;
    std::vector<std::string> parts;
    std::size_t floor = 0;
    if (unc) {
        parts = Split(rest, true);
        if (parts.size() < 2) return {};
        // No server or share is named "." or "..": they would climb out of unc/.
        for (std::size_t i = 0; i < 2; ++i) {
            if (parts[i] == "." || parts[i] == "..") return {};
        }
        root = devices + "/unc";
        base.assign(parts.begin(), parts.begin() + 2);
        floor = 2;  // ".." stops at the share
        parts.erase(parts.begin(), parts.begin() + 2);
    } else if (rest.size() >= 2 && IsAsciiLetter(rest[0]) && rest[1] == ':') {
        root = devices + "/" + AsciiLower(rest[0]) + ":";
        parts = Split(rest.substr(2), true);
    } else if (IsSeparator(rest[0])) {
        root = devices + "/" + CurrentDrive(devices, currentDir());
        parts = Split(rest, true);
    } else {
        // cwd is a POSIX directory: ".." may leave it, up to "/".
        const std::string cwd = currentDir();
        if (cwd.empty()) return {};
        base = Split(cwd, false);
        parts = Split(rest, true);
    }

    std::vector<std::string> components = base;
    Resolve(parts, floor, components);

    std::string path = root;
    if (!matchCase) {
        for (const std::string& name : components) path += "/" + name;
        return path.empty() ? "/" : path;
    }
    bool exists = root.empty() || ExistsAsIs(root);
    for (const std::string& name : components) {
        std::string next = path + "/" + name;
        // Past the first missing directory nothing exists: keep the names given.
        if (exists && !ExistsAsIs(next)) {
            std::optional<std::string> match = FindIgnoringCase(path.empty() ? "/" : path, name);
            exists = match.has_value();
            if (match) next = path + "/" + *match;
        }
        path = std::move(next);
    }
    return path.empty() ? "/" : path;
}

}  // namespace

std::string MapWindowsPath(std::string_view windowsPath, const std::string& prefix,
                           const std::string& cwd) {
    return Map(
        windowsPath, prefix, [&cwd] { return cwd; }, true);
}

std::string MapWindowsPathAsGiven(std::string_view windowsPath, const std::string& prefix) {
    return Map(
        windowsPath, prefix,
        [] {
            std::error_code ec;
            return fs::current_path(ec).string();
        },
        false);
}

}  // namespace activity
