#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "registry_value.h"
#include "test_server.h"

namespace fs = std::filesystem;

const wchar_t kVendor[] = L"SOFTWARE\\Quor Vane";
const wchar_t kMark[] = L"Made by the activity tests";

TestServer::TestServer() {
    root_ = fs::temp_directory_path() / ("qvtest-" + std::to_string(std::random_device()()));
    fs::create_directories(root_);
    // The tests own these keys and delete them afterwards: never on a machine
    // where a server keeps its settings there. A test that died left its mark.
    HKEY vendor = nullptr;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kVendor, kMark, RRF_RT_ANY, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVendor, 0, KEY_READ, &vendor) == ERROR_SUCCESS) {
        std::fprintf(stderr,
                     "HKLM\\SOFTWARE\\Quor Vane exists: run the tests without the server.\n");
        std::exit(3);
    }
    const DWORD one = 1;
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kVendor, kMark, REG_DWORD, &one, sizeof one);
}

TestServer::~TestServer() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kVendor);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kVendor);
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void TestServer::SetDirectory(const std::string& key, const std::string& windowsDir) {
    values_[key] = windowsDir;
    std::u16string path = u"SOFTWARE\\Quor Vane\\Quor Vane\\" + activity::Utf8ToUtf16(key);
    if (path.back() == u'\\') path.pop_back();
    const std::u16string data = activity::Utf8ToUtf16(windowsDir);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, reinterpret_cast<LPCWSTR>(path.c_str()),
                    L"Activity Log Directory", REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(char16_t)));
}

std::string TestServer::WindowsLogDir() const {
    const std::u8string dir = root_.u8string();
    return std::string(dir.begin(), dir.end());
}

fs::path TestServer::LocalLogDir() const {
    return root_;
}
