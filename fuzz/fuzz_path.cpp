// Windows paths mapped into a small prefix of our own. Both mappings must
// return, agree but for case, and never leave a "." or ".." or an empty name
// behind them.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "case_fold.h"
#include "wine_prefix.h"

namespace fs = std::filesystem;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Prefix {
    std::string dir;
    // The fuzzer's own directory: it reads its corpus by relative paths.
    std::string cwd = fs::current_path().string();

    Prefix() {
        char name[] = "/tmp/qv-fuzz-path-XXXXXX";
        Check(::mkdtemp(name) != nullptr);
        dir = name;
        for (const char* d : {"drive_c/Quorvane/Logs", "drive_c/Quorvane/Journées",
                              "drive_d/Share/Sub", "dosdevices/unc/Server/Logs"}) {
            fs::create_directories(dir + "/" + d);
        }
        for (const char* d : {"c:../drive_c", "d:../drive_d", "q:../drive_c/Quorvane"}) {
            fs::create_directory_symlink(d + 2, dir + "/dosdevices/" + std::string(d, 2));
        }
        std::ofstream(dir + "/drive_c/Quorvane/Logs/SMTP-Activity-261206.log");
        std::ofstream(dir + "/drive_c/Quorvane/Logs/smtp-activity-261206.LOG");
    }
    ~Prefix() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

// The names after the prefix's dosdevices, or after "/" for a relative path.
void CheckNames(const std::string& mapped) {
    Check(!mapped.empty() && mapped.front() == '/');
    for (std::size_t start = 1, slash = 0; slash != std::string::npos; start = slash + 1) {
        slash = mapped.find('/', start);
        const std::string name = mapped.substr(start, slash - start);
        Check(mapped == "/" || (name != "" && name != "." && name != ".."));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Prefix prefix;
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
