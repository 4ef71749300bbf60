#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "scoped_env.h"
#include "wine_prefix.h"

namespace fs = std::filesystem;
using activity::MapWindowsPath;

// A prefix laid out as Wine makes one: dosdevices/c: -> ../drive_c, plus a
// second drive, a UNC share and a folder outside every drive.
class WinePathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device rd;
        root_ = fs::temp_directory_path() / ("qv-path-" + std::to_string(rd()));
        prefix_ = (root_ / "prefix").string();
        for (const char* dir :
             {"prefix/drive_c/Quorvane/Logs/Sub Dir", "prefix/drive_c/Journées",
              "prefix/drive_c/Quorvane/Mixed/logs", "prefix/drive_c/Quorvane/Mixed/LOGS",
              "prefix/drive_c/Quorvane/Mixed/lOGS", "prefix/dosdevices/unc/FileServer/Share/Logs",
              "d_drive/Data", "outside/work"}) {
            fs::create_directories(root_ / dir);
        }
        fs::create_directory_symlink("../drive_c", root_ / "prefix/dosdevices/c:");
        fs::create_directory_symlink(root_ / "d_drive", root_ / "prefix/dosdevices/d:");
    }

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    std::string Map(std::string_view windowsPath, const fs::path& cwd = "/") const {
        return MapWindowsPath(windowsPath, prefix_, cwd.string());
    }
    std::string Device(const std::string& rest) const { return prefix_ + "/dosdevices/" + rest; }

    fs::path root_;
    std::string prefix_;
};

TEST_F(WinePathTest, MapsDrivePathsMatchingCaseLikeWindows) {
    EXPECT_EQ(Map("C:\\Quorvane\\Logs"), Device("c:/Quorvane/Logs"));
    EXPECT_EQ(Map("c:\\QUORVANE\\logs\\sub DIR"), Device("c:/Quorvane/Logs/Sub Dir"));
    EXPECT_EQ(Map("C:\\JOURNÉES"), Device("c:/Journées"));
    EXPECT_EQ(Map("d:\\data\\New.log"), Device("d:/Data/New.log"));
    // Names that do not exist yet stay as given, below the last one that does.
    EXPECT_EQ(Map("C:\\quorvane\\Missing\\Deeper"), Device("c:/Quorvane/Missing/Deeper"));
    EXPECT_EQ(Map("Q:\\Logs"), Device("q:/Logs"));
    // The exact name wins over another case; else the first in byte order.
    EXPECT_EQ(Map("C:\\Quorvane\\Mixed\\logs"), Device("c:/Quorvane/Mixed/logs"));
    EXPECT_EQ(Map("C:\\Quorvane\\Mixed\\Logs"), Device("c:/Quorvane/Mixed/LOGS"));
    EXPECT_EQ(MapWindowsPath("C:\\Quorvane", prefix_ + "/", "/"), Device("c:/Quorvane"));
    EXPECT_EQ(Map(""), "");
}

TEST_F(WinePathTest, NormalisesLikeWindows) {
    EXPECT_EQ(Map("C:/Quorvane//Logs/./Sub Dir/..\\"), Device("c:/Quorvane/Logs"));
    EXPECT_EQ(Map("C:\\..\\..\\Quorvane"), Device("c:/Quorvane"));
    EXPECT_EQ(Map("C:\\Quorvane\\Logs. . ."), Device("c:/Quorvane/Logs"));
    EXPECT_EQ(Map("C:\\Quorvane\\Logs.\\"), Device("c:/Quorvane/Logs"));
    EXPECT_EQ(Map("C:\\Quorvane\\..."), Device("c:/Quorvane"));
    EXPECT_EQ(Map("C:\\Quorvane \\Logs"), Device("c:/Quorvane /Logs"));  // only the last
    EXPECT_EQ(Map("C:"), Device("c:"));
    EXPECT_EQ(Map("C:\\"), Device("c:"));
    EXPECT_EQ(Map("C:Quorvane"), Device("c:/Quorvane"));
    EXPECT_EQ(Map("\\\\?\\C:\\Quorvane"), Device("c:/Quorvane"));
}

TEST_F(WinePathTest, MapsUncPathsBelowTheirShare) {
    EXPECT_EQ(Map("\\\\fileserver\\SHARE\\logs\\today.log"),
              Device("unc/FileServer/Share/Logs/today.log"));
    EXPECT_EQ(Map("//FileServer/Share/../../x"), Device("unc/FileServer/Share/x"));
    EXPECT_EQ(Map("\\\\?\\UNC\\FileServer\\Share"), Device("unc/FileServer/Share"));
    EXPECT_EQ(Map("\\\\FileServer"), "");
    // "." or ".." as the server or share would leave dosdevices/unc.
    EXPECT_EQ(Map("\\\\..\\..\\system.reg"), "");
    EXPECT_EQ(Map("\\\\?\\UNC\\FileServer\\.\\Logs"), "");
}

TEST_F(WinePathTest, PutsDrivelessPathsOnTheCurrentDirectorysDrive) {
    const fs::path inC = root_ / "prefix/drive_c/Quorvane";
    EXPECT_EQ(Map("\\Quorvane\\logs", inC), Device("c:/Quorvane/Logs"));
    EXPECT_EQ(Map("\\Quorvane\\logs", Device("c:/Quorvane")), Device("c:/Quorvane/Logs"));
    EXPECT_EQ(Map("/Data", root_ / "d_drive"), Device("d:/Data"));
    EXPECT_EQ(Map("\\Quorvane", root_ / "outside/work"), Device("z:/Quorvane"));
    EXPECT_EQ(Map("\\Quorvane", root_ / "no such dir"), Device("z:/Quorvane"));

    // With z: -> / every directory is on some drive; the closest one counts.
    fs::create_directory_symlink("/", root_ / "prefix/dosdevices/z:");
    EXPECT_EQ(Map("\\Quorvane\\logs", inC), Device("c:/Quorvane/Logs"));
    EXPECT_EQ(Map("\\Quorvane", root_ / "outside/work"), Device("z:/Quorvane"));
}

TEST_F(WinePathTest, ResolvesRelativePathsAgainstCwd) {
    const fs::path cwd = root_ / "prefix/drive_c/Quorvane";
    EXPECT_EQ(Map("logs\\sub dir", cwd), (cwd / "Logs/Sub Dir").string());
    EXPECT_EQ(Map("..\\quorvane\\.\\Logs", cwd), (cwd / "Logs").string());
    EXPECT_EQ(MapWindowsPath("Logs", prefix_, ""), "");
}

TEST(WinePrefixDir, ComesFromWineprefixElseHome) {
    const ScopedEnv home("HOME", "/home/quor");
    {
        const ScopedEnv prefix("WINEPREFIX", "/srv/wine");
        EXPECT_EQ(activity::WinePrefixDir(), "/srv/wine");
    }
    {
        const ScopedEnv prefix("WINEPREFIX", "");
        EXPECT_EQ(activity::WinePrefixDir(), "/home/quor/.wine");
    }
    const ScopedEnv prefix("WINEPREFIX", nullptr);
    EXPECT_EQ(activity::WinePrefixDir(), "/home/quor/.wine");
}
