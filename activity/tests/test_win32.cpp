// The Windows side through the real Win32 calls (under Wine when cross-built).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "log_file.h"
#include "modConfig.h"
#include "registry_value.h"

using namespace std::literals;

namespace {

std::string Narrow(std::wstring_view text) {
    return activity::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring UniqueName() {
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
}

}  // namespace

TEST(WindowsRegistry, ReadsStringsInEitherView) {
    const std::wstring key = L"SOFTWARE\\QvTest-" + UniqueName();
    // Where the 32-bit view keeps the same key, as a 64-bit process sees it.
    const std::wstring key32 = L"SOFTWARE\\Wow6432Node" + key.substr(8);
    ASSERT_TRUE(SetEnvironmentVariableW(L"QV_TEST_LONG", std::wstring(3000, L'y').c_str()));
    // Strings that name a variable are REG_EXPAND_SZ.
    const struct {
        const std::wstring* in;
        const wchar_t* name;
        std::wstring_view data;
        std::string want;
    } kRows[] = {
        {&key, L"Plain", L"C:\\Journées [x] ég\0"sv, "C:\\Journées [x] ég"},
        {&key, L"Expand", L"%SystemDrive%\\Logs\0"sv, "C:\\Logs"},
        // Expands past any first guess at the buffer size.
        {&key, L"Long", L"%QV_TEST_LONG%\\end\0"sv, std::string(3000, 'y') + "\\end"},
        {&key32, L"OnlyIn32", L"from 32\0"sv, "from 32"},
        {&key32, L"Both", L"from 32\0"sv, "from 64"},  // the 64-bit view first
        {&key, L"Both", L"from 64\0"sv, "from 64"},
    };
    for (const auto& row : kRows) {
        EXPECT_EQ(
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, row.in->c_str(), row.name,
                            row.data.find(L'%') == row.data.npos ? REG_SZ : REG_EXPAND_SZ,
                            row.data.data(), static_cast<DWORD>(row.data.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
    }
    for (const auto& row : kRows)
        EXPECT_EQ(modConfig::GetRegistryString(Narrow(key), Narrow(row.name)), row.want);
    EXPECT_EQ(modConfig::GetRegistryString(Narrow(key), "Missing"), "");
    SetEnvironmentVariableW(L"QV_TEST_LONG", nullptr);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key32.c_str());
}

// Writers open the log as they please while we hold it; our handle reads on
// after the log was renamed and deleted.
TEST(WindowsLogFile, NeverHindersTheWriter) {
    const auto dir = std::filesystem::temp_directory_path() / (L"qv-test-" + UniqueName() + L" é");
    ASSERT_TRUE(std::filesystem::create_directory(dir));
    const std::wstring path = dir / L"SMTP-020821.log", moved = dir / L"SMTP-020821.old";
    // Opens as told and appends; the caller closes.
    const auto write = [](const std::wstring& name, DWORD share, DWORD disposition,
                          std::string_view text) {
        HANDLE h =
            CreateFileW(name.c_str(), GENERIC_WRITE, share, nullptr, disposition, 0, nullptr);
        SetFilePointer(h, 0, nullptr, FILE_END);
        DWORD n = 0;
        EXPECT_TRUE(WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr))
            << GetLastError();
        return h;
    };
    // What one read at `at` gives; "!" for a failure.
    const auto read = [](const activity::LogFile& file, std::int64_t at) {
        char buffer[64];
        const std::int64_t n = file.ReadAt(at, buffer, sizeof buffer);
        return n < 0 ? "!"s : std::string(buffer, static_cast<std::size_t>(n));
    };

    // A writer holding the log first, sharing reads and writes only; another after us.
    HANDLE first = write(path, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS, "one\r\n");
    activity::LogFile file(Narrow(path));
    CloseHandle(write(path, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, "two\r\n"));
    CloseHandle(first);
    EXPECT_EQ(read(file, 0) + "|" + read(file, 5) + "|" + read(file, 1000),
              "one\r\ntwo\r\n|two\r\n|");

    // Writers that share nothing but reads, one of them truncating.
    CloseHandle(write(path, FILE_SHARE_READ, OPEN_EXISTING, "three\r\n"));
    CloseHandle(write(path, FILE_SHARE_READ, TRUNCATE_EXISTING, "four\r\n"));
    EXPECT_EQ(read(file, 0), "four\r\n");

    // Renamed, then deleted.
    ASSERT_TRUE(MoveFileExW(path.c_str(), moved.c_str(), 0)) << GetLastError();
    HANDLE last = write(moved, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        OPEN_EXISTING, "five\r\n");
    EXPECT_TRUE(DeleteFileW(moved.c_str())) << GetLastError();
    CloseHandle(last);
    EXPECT_EQ(read(file, 0), "four\r\nfive\r\n");

    // Only a disk file opens.
    for (const std::string& name :
         {Narrow(dir.wstring()), Narrow(path) + ".none", "NUL"s, "\\\\.\\NUL"s, "CON"s, ""s}) {
        EXPECT_EQ(read(activity::LogFile(name), 0), "!") << name;
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
