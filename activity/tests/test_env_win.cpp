#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "registry_value.h"
#include "test_env.h"

namespace fs = std::filesystem;

namespace {

const wchar_t kVendor[] = L"SOFTWARE\\Quor Vane";
const wchar_t kMark[] = L"Made by the activity tests";
const wchar_t kRoot[] = L"SOFTWARE\\Quor Vane\\Quor Vane";

std::wstring Wide(const std::string& utf8) {
    const std::u16string u = activity::Utf8ToUtf16(utf8);
    return std::wstring(u.begin(), u.end());
}

}  // namespace

TestServer::TestServer() {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("qvtest-" + std::to_string(rd()));
    fs::create_directories(root_);
    // The tests own these keys and delete them afterwards: never on a machine
    // where a server keeps its settings there.
    HKEY vendor = nullptr;
    DWORD disposition = 0;
    bool ours = false;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVendor, 0, nullptr, 0,
                        KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr, &vendor,
                        &disposition) == ERROR_SUCCESS) {
        // A test that died left its mark; anything else is a server's.
        ours = disposition == REG_CREATED_NEW_KEY ||
               RegQueryValueExW(vendor, kMark, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        const DWORD one = 1;
        if (ours)
            RegSetValueExW(vendor, kMark, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                           sizeof one);
        RegCloseKey(vendor);
    }
    if (!ours) {
        std::fprintf(stderr,
                     "HKLM\\SOFTWARE\\Quor Vane exists: run these tests on a machine without "
                     "the server.\n");
        std::exit(3);
    }
}

TestServer::~TestServer() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kVendor);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kVendor);
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void TestServer::SetDirectory(const std::string& key, const std::string& windowsDir) {
    values_[key] = windowsDir;
    std::wstring path = std::wstring(kRoot) + L"\\" + Wide(key);
    if (path.back() == L'\\') path.pop_back();
    HKEY hkey = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                        KEY_WRITE | KEY_WOW64_64KEY, nullptr, &hkey, nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring data = Wide(windowsDir);
    RegSetValueExW(hkey, L"Activity Log Directory", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hkey);
}

std::string TestServer::WindowsLogDir() const {
    const std::u8string dir = root_.u8string();
    return std::string(dir.begin(), dir.end());
}

fs::path TestServer::LocalLogDir() const {
    return root_;
}
