// The Windows side through the real Win32 calls (under Wine when cross-built).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "code_page.h"
#include "log_file.h"
#include "modConfig.h"
#include "registry_value.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return activity::Utf16ToUtf8(
        std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring UniqueName() {
    static unsigned counter = 0;
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) +
           L"-" + std::to_wstring(++counter);
}

// Values under a key of the test's own in HKLM, in either registry view.
class RegistryTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            HKEY parent = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QvTest", 0, KEY_ALL_ACCESS | view,
                              &parent) == ERROR_SUCCESS) {
                RegDeleteTreeW(parent, id_.c_str());
                RegCloseKey(parent);
            }
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QvTest", view, 0);
        }
    }

    void Set(REGSAM view, const std::wstring& subKey, const wchar_t* name, DWORD type,
             const void* data, std::size_t size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (base_ + subKey).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data),
                                 static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // With its terminating zero.
    void SetText(REGSAM view, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
        Set(view, L"", name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    std::string Get(const char* name, const std::string& subKey = "") {
        return modConfig::GetRegistryString(Narrow(base_) + subKey, name);
    }

    std::wstring id_ = UniqueName();
    std::wstring base_ = L"SOFTWARE\\QvTest\\" + id_;
};

TEST_F(RegistryTest, ReadsStringValuesOfEveryShape) {
    SetText(KEY_WOW64_64KEY, L"Plain", L"C:\\Logs");
    SetText(KEY_WOW64_64KEY, L"Empty", L"");
    SetText(KEY_WOW64_64KEY, L"Accents", L"C:\\Journées [x] ég");
    SetText(KEY_WOW64_64KEY, L"Expand", L"%SystemDrive%\\Logs", REG_EXPAND_SZ);
    // Written by a tool that leaves out the terminator: the last character stays.
    Set(KEY_WOW64_64KEY, L"", L"Unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));
    const DWORD number = 42;
    Set(KEY_WOW64_64KEY, L"", L"Number", REG_DWORD, &number, sizeof number);
    Set(KEY_WOW64_64KEY, L"", L"Multi", REG_MULTI_SZ, L"one\0two\0", 9 * sizeof(wchar_t));

    EXPECT_EQ(Get("Plain"), "C:\\Logs");
    EXPECT_EQ(Get("plain"), "C:\\Logs");
    EXPECT_EQ(Get("Empty"), "");
    EXPECT_EQ(Get("Accents"),
              "C:\\Journ\xC3\xA9"
              "es [x] \xC3\xA9g");
    EXPECT_EQ(Get("Expand"), "C:\\Logs");
    EXPECT_EQ(Get("Unterminated"), "abc");
    EXPECT_EQ(Get("Number"), "");
    EXPECT_EQ(Get("Multi"), "one");
    EXPECT_EQ(Get("Missing"), "");
    EXPECT_EQ(Get("Plain", "\\NoSuchKey"), "");
    EXPECT_EQ(modConfig::GetRegistryString("SOFTWARE\\QvNoSuchKey\\At All", "Plain"), "");
}

TEST_F(RegistryTest, ReadsLongValuesAndExpansions) {
    const std::wstring longText(20000, L'x');
    SetText(KEY_WOW64_64KEY, L"Long", longText);
    // Expands past any first guess at the buffer size.
    const std::wstring variable(3000, L'y');
    ASSERT_TRUE(SetEnvironmentVariableW(L"QV_TEST_LONG", variable.c_str()));
    SetText(KEY_WOW64_64KEY, L"LongExpand", L"%QV_TEST_LONG%\\end", REG_EXPAND_SZ);

    EXPECT_EQ(Get("Long"), std::string(20000, 'x'));
    EXPECT_EQ(Get("LongExpand"), std::string(3000, 'y') + "\\end");
    SetEnvironmentVariableW(L"QV_TEST_LONG", nullptr);
}

TEST_F(RegistryTest, TrailingBackslashNamesTheKeyItself) {
    const std::wstring dir = L"D:\\Quor Vane\\Logs\\SMTP";
    Set(KEY_WOW64_64KEY, L"\\Connectors", L"SMTP", REG_SZ, dir.c_str(),
        (dir.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(Get("SMTP", "\\Connectors\\"), Narrow(dir));
    EXPECT_EQ(Get("SMTP", "\\Connectors"), Narrow(dir));
}

TEST_F(RegistryTest, FallsBackToThe32BitViewOnly) {
    SetText(KEY_WOW64_32KEY, L"OnlyIn32", L"from 32");
    SetText(KEY_WOW64_32KEY, L"Both", L"from 32");
    SetText(KEY_WOW64_64KEY, L"Both", L"from 64");
    EXPECT_EQ(Get("OnlyIn32"), "from 32");
    EXPECT_EQ(Get("Both"), "from 64");
}

// A private directory of files in the temporary folder.
class LogFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        dir_ = std::wstring(temp) + L"qv-test-" + UniqueName() + L" é";
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(dir_), ignored);
    }

    std::wstring PathOf(const wchar_t* name) const { return dir_ + L"\\" + name; }

    // A handle as a writer would open it, sharing as `share` allows.
    static HANDLE OpenWriter(const std::wstring& path, DWORD share, DWORD disposition) {
        return CreateFileW(path.c_str(), GENERIC_WRITE, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    static bool Append(HANDLE writer, const std::string& text) {
        DWORD written = 0;
        return SetFilePointer(writer, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
               WriteFile(writer, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
               written == text.size();
    }
    void Create(const wchar_t* name, const std::string& text) {
        HANDLE writer = OpenWriter(PathOf(name), 0, CREATE_ALWAYS);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(Append(writer, text));
        CloseHandle(writer);
    }
    static std::string ReadAll(const activity::LogFile& file, std::int64_t offset) {
        std::string out;
        char buffer[7];
        for (;;) {
            const std::int64_t n = file.ReadAt(offset, buffer, sizeof buffer);
            if (n <= 0) break;
            out.append(buffer, static_cast<std::size_t>(n));
            offset += n;
        }
        return out;
    }

    std::wstring dir_;
};

TEST_F(LogFileTest, ReadsARegularFileOnly) {
    Create(L"SMTP-020821.log", "first line\r\nsecond line\r\n");
    activity::LogFile file(Narrow(PathOf(L"SMTP-020821.log")));
    ASSERT_TRUE(file.IsOpen());
    std::int64_t size = -1;
    activity::FileIdentity identity;
    ASSERT_TRUE(file.Query(size, identity));
    EXPECT_EQ(size, 25);
    EXPECT_EQ(ReadAll(file, 0), "first line\r\nsecond line\r\n");
    EXPECT_EQ(ReadAll(file, 12), "second line\r\n");
    char byte = 0;
    EXPECT_EQ(file.ReadAt(25, &byte, 1), 0);
    EXPECT_EQ(file.ReadAt(1000, &byte, 1), 0);

    // Another file has another identity.
    Create(L"POP-020821.log", "x");
    activity::LogFile other(Narrow(PathOf(L"POP-020821.log")));
    activity::FileIdentity otherIdentity;
    ASSERT_TRUE(other.Query(size, otherIdentity));
    EXPECT_NE(otherIdentity, identity);

    for (const std::string& path :
         {Narrow(dir_), Narrow(PathOf(L"missing.log")), std::string("NUL"),
          std::string("\\\\.\\NUL"), std::string("CON"), std::string()}) {
        activity::LogFile notFile(path);
        EXPECT_FALSE(notFile.IsOpen()) << path;
        EXPECT_FALSE(notFile.Query(size, identity)) << path;
        EXPECT_EQ(notFile.ReadAt(0, &byte, 1), -1) << path;
    }
}

TEST_F(LogFileTest, NeverHindersTheWriter) {
    const std::wstring path = PathOf(L"SMTP-020821.log");
    const std::wstring moved = PathOf(L"SMTP-020821.old");

    // A writer already holding the log, sharing reads and writes only.
    HANDLE writer = OpenWriter(path, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Append(writer, "one\r\n"));
    activity::LogFile file(Narrow(path));
    ASSERT_TRUE(file.IsOpen());
    EXPECT_TRUE(Append(writer, "two\r\n"));
    CloseHandle(writer);

    std::int64_t size = 0;
    activity::FileIdentity identity;
    ASSERT_TRUE(file.Query(size, identity));
    EXPECT_EQ(size, 5);  // as it was opened
    EXPECT_EQ(ReadAll(file, 0), "one\r\ntwo\r\n");

    // Writers opening after us: one that shares nothing but reads, one that
    // truncates, one that shares everything.
    writer = OpenWriter(path, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_TRUE(Append(writer, "three\r\n"));
    CloseHandle(writer);
    writer = OpenWriter(path, FILE_SHARE_READ, TRUNCATE_EXISTING);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_TRUE(Append(writer, "four\r\n"));
    CloseHandle(writer);
    EXPECT_EQ(ReadAll(file, 0), "four\r\n");

    // Renamed and deleted under our open handle, which still reads the file.
    ASSERT_TRUE(MoveFileExW(path.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING))
        << GetLastError();
    // Wine forgets the volume of a file renamed or deleted under an open
    // handle; the index holds, and a fresh open by the new name sees both.
    activity::FileIdentity renamed;
    ASSERT_TRUE(file.Query(size, renamed));
    EXPECT_EQ(renamed.index, identity.index);
    activity::LogFile reopened(Narrow(moved));
    ASSERT_TRUE(reopened.Query(size, renamed));
    EXPECT_EQ(renamed, identity);
    writer =
        OpenWriter(moved, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_TRUE(Append(writer, "five\r\n"));
    EXPECT_TRUE(DeleteFileW(moved.c_str())) << GetLastError();
    CloseHandle(writer);

    EXPECT_EQ(ReadAll(file, 0), "four\r\nfive\r\n");
}

TEST(WindowsCodePage, AsksTheSystem) {
    char32_t c = 0;
    auto western = activity::OpenCodePage(1252);
    ASSERT_TRUE(western);
    EXPECT_FALSE(western->IsUtf8());
    EXPECT_EQ(western->Single(0xE9, c), activity::CodePageSource::Kind::kChar);
    EXPECT_EQ(c, U'\u00E9');
    EXPECT_EQ(western->Single(0x80, c), activity::CodePageSource::Kind::kChar);
    EXPECT_EQ(c, U'\u20AC');
    EXPECT_EQ(western->Single('A', c), activity::CodePageSource::Kind::kChar);
    EXPECT_EQ(c, U'A');

    auto japanese = activity::OpenCodePage(932);
    ASSERT_TRUE(japanese);
    EXPECT_EQ(japanese->Single(0x82, c), activity::CodePageSource::Kind::kLead);
    EXPECT_EQ(japanese->Single(0xB1, c), activity::CodePageSource::Kind::kChar);
    EXPECT_EQ(c, U'\uFF71');
    EXPECT_TRUE(japanese->Pair(0x82, 0xA0, c));
    EXPECT_EQ(c, U'\u3042');
    EXPECT_FALSE(japanese->Pair(0x82, 0x20, c));

    auto utf8 = activity::OpenCodePage(65001);
    ASSERT_TRUE(utf8);
    EXPECT_TRUE(utf8->IsUtf8());
    EXPECT_FALSE(activity::OpenCodePage(12345));
    EXPECT_TRUE(activity::OpenCodePage(0));

    // Through the decoder: pairs are never cut in two.
    activity::CodePageDecoder decoder(activity::OpenCodePage(932));
    std::string out;
    EXPECT_EQ(decoder.Append("a\x82\xA0\xB1", out), 3u);
    EXPECT_EQ(out, "a\xE3\x81\x82\xEF\xBD\xB1");
    EXPECT_EQ(decoder.CutPoint("a\x82\xA0\xB1", 2), 1u);
}

TEST(WindowsCodePage, SystemDecoderFollowsTheAnsiCodePage) {
    const activity::CodePageDecoder& decoder = activity::SystemDecoder();
    std::string out;
    decoder.Append(std::string_view("Service started\0", 16), out);
    EXPECT_EQ(out, "Service started\xE2\x90\x80");
    if (GetACP() == 1252) {
        out.clear();
        decoder.Append("caf\xE9", out);
        EXPECT_EQ(out, "caf\xC3\xA9");
    }
}

}  // namespace
