#include <stdlib.h>

#include <random>

#include "components.h"
#include "registry_file.h"
#include "test_server.h"

namespace fs = std::filesystem;

TestServer::TestServer() {
    root_ = fs::temp_directory_path() / ("qvtest-" + std::to_string(std::random_device()()));
    fs::create_directories(root_ / "drive_c" / "Quorvane" / "Logs");
    fs::create_directories(root_ / "dosdevices");
    fs::create_directory_symlink("../drive_c", root_ / "dosdevices" / "c:");
    if (const char* p = getenv("WINEPREFIX")) savedPrefix_ = p;
    setenv("WINEPREFIX", root_.c_str(), 1);
    SetDirectory("Connectors\\Unused", "");
}

TestServer::~TestServer() {
    savedPrefix_ ? setenv("WINEPREFIX", savedPrefix_->c_str(), 1) : unsetenv("WINEPREFIX");
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void TestServer::SetDirectory(const std::string& key, const std::string& windowsDir) {
    values_[key] = windowsDir;
    sim::RegistryFile settings;
    for (const auto& [k, dir] : values_) {
        settings.SetString(std::string(activity::kSettingsRoot) + k, activity::kDirectoryValue,
                           dir);
    }
    settings.SetRaw("System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", "\"1252\"");
    settings.Save(root_ / "system.reg", 1796581281);
}

std::string TestServer::WindowsLogDir() const {
    return "C:\\Quorvane\\Logs";
}

fs::path TestServer::LocalLogDir() const {
    return root_ / "drive_c" / "Quorvane" / "Logs";
}
