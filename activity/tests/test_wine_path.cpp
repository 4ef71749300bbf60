#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "log_file.h"
#include "scoped_env.h"
#include "wine_prefix.h"

namespace fs = std::filesystem;

// A prefix laid out as Wine makes one, with a second drive, z: for the root,
// a UNC share and a folder outside every drive but z:.
TEST(WinePath, FindsThePrefixAndMapsAsWineOpens) {
    const struct {
        std::string_view windows;
        std::string_view cwd;   // below the test's folder ("/" is itself); "" for none
        std::string_view want;  // below <prefix>/dosdevices; "" when nothing maps
    } kCases[] = {
        // Names that exist match case-insensitively; the rest stay as given.
        {"c:\\QUORVANE\\logs\\sub DIR", "/", "c:/Quorvane/Logs/Sub Dir"},
        {"C:\\JOURNÉES", "/", "c:/Journées"},
        {"d:\\data\\New.log", "/", "d:/Data/New.log"},
        {"C:\\quorvane\\Missing\\Deeper", "/", "c:/Quorvane/Missing/Deeper"},
        {"A:\\Logs", "/", "a:/Logs"},
        {"a:\\Logs", "/", "a:/Logs"},
        // The exact name wins over another case; else the first in byte order.
        {"C:\\Quorvane\\Mixed\\logs", "/", "c:/Quorvane/Mixed/logs"},
        {"C:\\Quorvane\\Mixed\\Logs", "/", "c:/Quorvane/Mixed/LOGS"},
        {"", "/", ""},
        // Normalised as Windows does.
        {"C:/Quorvane//Logs/./Sub Dir/..\\", "/", "c:/Quorvane/Logs"},
        {"C:\\..\\..\\Quorvane", "/", "c:/Quorvane"},
        {"C:\\Quorvane\\Logs. . .", "/", "c:/Quorvane/Logs"},
        {"C:\\Quorvane\\...", "/", "c:/Quorvane"},
        {"C:\\Quorvane \\Logs", "/", "c:/Quorvane /Logs"},  // only the last name is trimmed
        {"C:", "/", "c:"},
        {"C:Quorvane", "/", "c:/Quorvane"},
        {"\\\\?\\C:\\Quorvane", "/", "c:/Quorvane"},
        {"\\\\.\\", "/", ""},
        // UNC paths below their share; "." or ".." as server or share would leave unc/.
        {"\\\\fileserver\\SHARE\\logs\\today.log", "/", "unc/FileServer/Share/Logs/today.log"},
        {"//FileServer/Share/../../x", "/", "unc/FileServer/Share/x"},
        {"\\\\FileServer", "/", ""},
        {"\\\\..\\..\\system.reg", "/", ""},
        {"\\\\?\\UNC\\FileServer\\.\\Logs", "/", ""},
        // Drive-less: the drive holding the current directory most closely, else z:.
        {"\\Quorvane\\logs", "p/drive_c/Quorvane", "c:/Quorvane/Logs"},
        {"/Data", "d_drive", "d:/Data"},
        {"\\Quorvane", "outside", "z:/Quorvane"},
        {"\\Quorvane", "no such dir", "z:/Quorvane"},
        // Relative to the current directory, which ".." may leave.
        {"logs\\sub dir", "p/dosdevices/c:/Quorvane", "c:/Quorvane/Logs/Sub Dir"},
        {"..\\quorvane\\.\\Logs", "p/dosdevices/c:/Quorvane", "c:/Quorvane/Logs"},
        {"Logs", "", ""},
    };
    const fs::path root =
        fs::temp_directory_path() / ("qv-path-" + std::to_string(std::random_device()()));
    for (const char* dir :
         {"p/drive_c/Quorvane/Logs/Sub Dir", "p/drive_c/Journées", "p/drive_c/Quorvane/Mixed/logs",
          "p/drive_c/Quorvane/Mixed/LOGS", "p/drive_c/Quorvane/Mixed/lOGS",
          "p/dosdevices/unc/FileServer/Share/Logs", "d_drive/Data", "outside"}) {
        fs::create_directories(root / dir);
    }
    fs::create_directory_symlink("../drive_c", root / "p/dosdevices/c:");
    fs::create_directory_symlink(root / "d_drive", root / "p/dosdevices/d:");
    fs::create_directory_symlink("/", root / "p/dosdevices/z:");
    for (const auto& c : kCases) {
        const std::string cwd = c.cwd.empty() ? "" : (root / c.cwd).string();
        const std::string want = c.want.empty() ? "" : (root / "p/dosdevices" / c.want).string();
        // A prefix named with a trailing slash maps as well.
        EXPECT_EQ(activity::MapWindowsPath(c.windows, (root / "p/").string(), cwd), want)
            << c.windows;
    }
    // A log opens there too: the names as given first, then looked up in
    // their directories, so that a folder set in other case is still found.
    using activity::ScanState;
    const ScopedEnv prefix("WINEPREFIX", (root / "p").c_str());
    std::ofstream(root / "p/drive_c/Quorvane/Logs/Sub Dir/Today.log") << "line";
    const std::pair<std::string_view, ScanState> kLogs[] = {
        {"C:\\Quorvane\\Logs\\Sub Dir\\Today.log", ScanState::Following},
        {"c:\\QUORVANE\\logs\\SUB DIR\\today.LOG", ScanState::Following},
        {"C:\\quorvane\\LOGS\\Yesterday.log", ScanState::FileMissing},
        {"C:\\Quorvane\\Missing\\Today.log", ScanState::FolderMissing},
    };
    for (const auto& [windows, state] : kLogs) {
        const activity::LogFile log{std::string(windows)};
        char bytes[8] = {};
        EXPECT_EQ(log.State(), state) << windows;
        EXPECT_EQ(log.ReadAt(0, bytes, sizeof bytes), log.IsOpen() ? 4 : -1) << windows;
    }
    fs::remove_all(root);
    // The prefix itself comes from WINEPREFIX, else HOME.
    const ScopedEnv home("HOME", "/home/quor");
    for (const char* dir : {"/srv/wine", "", static_cast<const char*>(nullptr)}) {
        const ScopedEnv set("WINEPREFIX", dir);
        EXPECT_EQ(activity::WinePrefixDir(), dir && *dir ? dir : "/home/quor/.wine");
    }
}
