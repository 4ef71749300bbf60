// Windows paths mapped into a small prefix of our own. Both mappings must
// return, agree but for case, and never leave a "." or ".." or an empty name
// behind them.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "case_fold.h"
#include "wine_prefix.h"

namespace fs = std::filesystem;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Prefix {
    std::string dir;
    std::string cwd;

    Prefix() {
        char name[] = "/tmp/qv-fuzz-path-XXXXXX";
        Check(::mkdtemp(name) != nullptr);
        dir = name;
        const fs::path root(dir);
        fs::create_directories(root / "drive_c" / "Quorvane" / "Logs");
        fs::create_directories(root / "drive_c" / "Quorvane" / "Journées");
        fs::create_directories(root / "drive_d" / "Share" / "Sub");
        fs::create_directories(root / "dosdevices" / "unc" / "Server" / "Logs");
        fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
        fs::create_directory_symlink("../drive_d", root / "dosdevices" / "d:");
        fs::create_directory_symlink("../drive_c/Quorvane", root / "dosdevices" / "q:");
        std::ofstream(root / "drive_c" / "Quorvane" / "Logs" / "SMTP-Activity-261206.log");
        std::ofstream(root / "drive_c" / "Quorvane" / "Logs" / "smtp-activity-261206.LOG");
        // The fuzzer's own directory: it reads its corpus by relative paths.
        cwd = fs::current_path().string();
    }
    ~Prefix() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

const Prefix& ThePrefix() {
    static const Prefix prefix;
    return prefix;
}

// The names after the prefix's dosdevices, or after "/" for a relative path.
void CheckNames(const std::string& mapped) {
    Check(!mapped.empty() && mapped.front() == '/');
    std::size_t start = 1;
    for (;;) {
        const std::size_t slash = mapped.find('/', start);
        const std::string name = mapped.substr(start, slash - start);
        Check(mapped == "/" || (name != "" && name != "." && name != ".."));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Prefix& prefix = ThePrefix();
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::string given = activity::MapWindowsPathAsGiven(path, prefix.dir);
    const std::string found = activity::MapWindowsPath(path, prefix.dir, prefix.cwd);
    Check(given.empty() == found.empty());
    if (given.empty()) return 0;
    CheckNames(given);
    CheckNames(found);
    Check(activity::FoldedUtf16(given) == activity::FoldedUtf16(found));
    return 0;
}
