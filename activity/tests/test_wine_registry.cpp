#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "modConfig.h"
#include "registry_value.h"
#include "test_server.h"
#include "whole_file.h"
#include "wine_registry.h"

namespace {

// "type:bytes:text" of a value, with the data in hex for numbers and bytes; "-" when missing.
std::string Describe(const std::optional<activity::RegistryValue>& value) {
    if (!value) return "-";
    std::string shown = activity::RegistryText(*value);
    if (value->type == activity::kRegBinary || value->type == activity::kRegDword) {
        for (std::uint8_t b : value->data)
            shown += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
    }
    return std::to_string(value->type) + ":" + std::to_string(value->data.size()) + ":" + shown;
}

}  // namespace

// What Wine 8 saved, then quirks.reg (every key shape and data form Wine
// writes, and damage that must cost only its own setting), with LF and with
// CRLF line ends: read as the registry API returns a value ("" for not
// asked), and as a Wine process gets the text (nullptr for not asked).
class WineRegistry : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Wine, WineRegistry, ::testing::Bool());

TEST_P(WineRegistry, ReadsValuesAsWindowsDoes) {
    const std::string at = "SOFTWARE\\Quor Vane\\Quor Vane\\";
    const std::string dir = "Activity Log Directory";
    const struct {
        std::string key, name, want;
        const char* get = nullptr;
    } kRows[] = {
        {at + "Agents\\MTA", dir, "2:56:%SystemDrive%\\Quorvane\\Logs", "C:\\Quorvane\\Logs"},
        {at + "Connectors\\", dir, "", "C:\\Quorvane\\POPC Logs"},
        {at + "Connectors\\LS", dir, "", ""},
        {at + "Connectors\\Quote", dir, "", "C:\\Say \"hi\"\\Logs"},
        {at + "Connectors\\SMTP", dir, "", "C:\\Quorvane\\Logs\\"},
        {"software\\quor vane\\QUOR VANE\\connectors\\smtp", "activity log directory", "",
         "C:\\Quorvane\\Logs\\"},
        {at + "Connectors\\Unterminated", dir, "", "C:\\Logs"},
        {at + "Services\\HTTPMAIL", dir, "", "C:\\Quorvane\\Journées [x] ég"},
        {at + "Services\\POP", dir, "4:4:2a000000", ""},
        {"\\software" + at.substr(8) + "Connectors\\SF\\", dir, "-", "C:\\Quorvane\\Logs32"},
        {"System" + at.substr(8) + "Connectors\\SF", dir, "", ""},  // only SOFTWARE has two views
        {at + "Connectors\\POPC", dir, "", ""},
        {"System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", "", "1252"},
        {"\\software\\QV\\conn\\smtp\\", "DIR", "1:10:smtp", "smtp"},  // the last, 64-bit one
        {"SOFTWARE\\Qv", "Dir", "-"},               // a parent has no line, hence no values
        {"SOFTWARE\\Qv\\Conn", "Say \"hi\"", "-"},  // values end at the next key line
        {"SOFTWARE\\Qv\\Conn\\SMTP", "say \"HI\"", "1:14:quoted"},
        {"SOFTWARE\\Qv\\Conn", "", "1:16:default"},
        {"SOFTWARE\\Qv\\Conn", "@", "1:16:default"},
        {"SOFTWARE\\Qv\\Conn\\SMTP", "", "-"},
        {"Software\\Br[a]ckets\\JOURNÉES\\ΩMEGA ΆΈ дом", "ключ", "1:14:folded"},
        {"T", "Esc", "1:44:x\\y\"z\a\b\t\n\v\f\r\x1b\nAA27\u0100"},  // octal: 3 digits at most
        {"T", "Hex", "1:50:Пр Пa é1 ég €😀 q%[xé€😀"},                 // hex: 4 digits at most
        {"T", "Str", "1:28:%SystemDrive%", "%SystemDrive%"},
        {"T", "Expand", "2:38:%SystemDrive%\\Logs", "C:\\Logs"},
        // Expanded as ExpandEnvironmentStrings does in a Wine process; a name
        // is known only whole.
        {"T", "Vars", "",
         "\\C:\\windows|C:\\windows|C:\\windows\\temp|Windows_NT|%Number%|%Nope%|%NopeC:|"
         "%SystemDriveX%|%System%|%Win%|9% %% %"},
        {"T", "Multi", "7:28:first", "first"},
        {"T", "Unterminated", "1:14:C:\\Logs"},
        {"T", "Binary", "3:3:0102ff"},
        {"Software\\A", "V", "-"},  // an unclosed key line owns nothing
        {"K", "V", "1:10:kept"},
        {"L", "V", "-"},
    };
    const TestServer server;  // a prefix, its system.reg replaced
    const std::string reg = getenv("WINEPREFIX") + std::string("/system.reg");
    std::string wine8 = *activity::ReadWholeFile(QV_TEST_DATA_DIR "/wine-8.0-system.reg");
    // A machine variable that is no string, so no process gets it.
    wine8.insert(wine8.find('\n', wine8.find("Manager\\\\Environment]")) + 1,
                 "\"Number\"=dword:1\n");
    std::ostringstream text;
    for (char c : wine8 + *activity::ReadWholeFile(QV_TEST_DATA_DIR "/quirks.reg"))
        text << (c == '\n' && GetParam() ? "\r\n" : std::string(1, c));
    std::ofstream(reg, std::ios::binary) << text.str();
    for (const auto& row : kRows) {
        const std::string read =
            row.want.empty() ? ""
                             : Describe(activity::ReadWineRegistryValue(reg, row.key, row.name));
        const std::string got = row.get ? modConfig::GetRegistryString(row.key, row.name) : "";
        EXPECT_EQ(read + " | " + got, row.want + " | " + (row.get ? row.get : ""))
            << row.key << " " << row.name;
    }
}

TEST(WineRegistry, SurvivesMalformedText) {
    const std::string good = "WINE REGISTRY Version 2\n[A] 1\n\"V\"=\"C:\\\\Logs\"\n\n[B] 2\n";
    // Another version, not at the start, a string that runs into the next line.
    const std::string unclosed =
        good.substr(0, good.find("\"\n")) + good.substr(good.find("\"\n") + 1);
    for (const std::string& bad :
         {"WINE REGISTRY Version 1" + good.substr(23), " " + good, unclosed}) {
        EXPECT_FALSE(activity::FindWineRegistryValue(bad, "A", "V")) << bad;
    }
    // Cut anywhere, a backslash last included: the value is whole or missing,
    // never a piece of it. Each cut ends where an unreadable page starts, so
    // that a read past the end faults in every build.
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* const pages =
        ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    ASSERT_EQ(::mprotect(static_cast<char*>(pages) + page, page, PROT_NONE), 0);
    for (std::size_t len = 0; len <= good.size(); ++len) {
        char* const cut = static_cast<char*>(pages) + page - len;
        std::memcpy(cut, good.data(), len);
        const std::string got = Describe(activity::FindWineRegistryValue({cut, len}, "A", "V"));
        EXPECT_TRUE(got == "-" || got == "1:16:C:\\Logs") << got << " cut at " << len;
    }
    ::munmap(pages, 2 * page);
}
