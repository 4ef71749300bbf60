#include <stdlib.h>

#include <fstream>
#include <random>

#include "test_env.h"

namespace fs = std::filesystem;

namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

}  // namespace

TestServer::TestServer() {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("qvtest-" + std::to_string(rd()));
    fs::create_directories(root_ / "drive_c" / "Quorvane" / "Logs");
    fs::create_directories(root_ / "dosdevices");
    fs::create_directory_symlink("../drive_c", root_ / "dosdevices" / "c:");
    if (const char* p = getenv("WINEPREFIX")) {
        hadPrefix_ = true;
        savedPrefix_ = p;
    }
    setenv("WINEPREFIX", root_.c_str(), 1);
    SetDirectory("Connectors\\Unused", "");
}

TestServer::~TestServer() {
    if (hadPrefix_) {
        setenv("WINEPREFIX", savedPrefix_.c_str(), 1);
    } else {
        unsetenv("WINEPREFIX");
    }
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void TestServer::SetDirectory(const std::string& key, const std::string& windowsDir) {
    values_[key] = windowsDir;
    // Written whole and renamed into place, as Wine saves it.
    std::ofstream out(root_ / "system.reg.new", std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    for (const auto& [k, dir] : values_) {
        std::string path = "Software\\Quor Vane\\Quor Vane\\" + k;
        if (path.back() == '\\') path.pop_back();
        out << "[" << Escape(path) << "] 1796581281\n#time=1dd85b0e385cba6\n"
            << "\"Activity Log Directory\"=\"" << Escape(dir) << "\"\n\n";
    }
    out << "[System\\\\CurrentControlSet\\\\Control\\\\Nls\\\\CodePage] 1796581281\n"
        << "\"ACP\"=\"1252\"\n\"OEMCP\"=\"437\"\n";
    out.close();
    fs::rename(root_ / "system.reg.new", root_ / "system.reg");
}

std::string TestServer::WindowsLogDir() const {
    return "C:\\Quorvane\\Logs";
}

fs::path TestServer::LocalLogDir() const {
    return root_ / "drive_c" / "Quorvane" / "Logs";
}
