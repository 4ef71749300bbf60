#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "modConfig.h"
#include "registry_value.h"
#include "scoped_env.h"
#include "wine_registry.h"

namespace fs = std::filesystem;
using activity::FindWineRegistryValue;
using activity::RegistryText;
using activity::RegistryValue;

namespace {

constexpr std::string_view kHead =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";

std::optional<RegistryValue> Find(std::string_view body, std::string_view key,
                                  std::string_view name) {
    return FindWineRegistryValue(std::string(kHead) + std::string(body), key, name);
}

// The value's text, or "<missing>".
std::string TextOf(std::string_view body, std::string_view key, std::string_view name) {
    const auto value = Find(body, key, name);
    return value ? RegistryText(*value) : "<missing>";
}

// Every UTF-16 unit of the data, terminator included.
std::u16string Units(const RegistryValue& value) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        units += static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
    }
    return units;
}

fs::path UniqueTempDir(const std::string& stem) {
    std::random_device rd;
    fs::path dir = fs::temp_directory_path() / (stem + std::to_string(rd()));
    fs::create_directories(dir);
    return dir;
}

void WriteFile(const fs::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
}

}  // namespace

TEST(WineRegistryText, DecodesEveryEscapeWineWrites) {
    constexpr std::string_view kBody = R"([Software\\Test] 1796581281
"Esc"="x\\y\"z\a\b\t\n\v\f\r\e"
"Octal"="\0\12\101\1012\400"
"Hex"="\x41f\x440 \x041fa \x00e91 \xe9g \x20ac"
"Pair"="\xd83d\xde00"
"Other"="\q\%\[\x"
"Utf8"="Journées € 😀"
)";
    const auto esc = Find(kBody, "Software\\Test", "Esc");
    ASSERT_TRUE(esc);
    EXPECT_EQ(esc->type, activity::kRegSz);
    EXPECT_EQ(Units(*esc), std::u16string(u"x\\y\"z\a\b\t\n\v\f\r\x1b\0", 14));

    const auto octal = Find(kBody, "Software\\Test", "Octal");
    ASSERT_TRUE(octal);
    EXPECT_EQ(Units(*octal), std::u16string(u"\0\nAA2\u0100\0", 7));  // three digits at most

    EXPECT_EQ(TextOf(kBody, "Software\\Test", "Hex"), "Пр Пa é1 ég €");
    EXPECT_EQ(TextOf(kBody, "Software\\Test", "Pair"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(TextOf(kBody, "Software\\Test", "Other"), "q%[x");
    EXPECT_EQ(TextOf(kBody, "Software\\Test", "Utf8"), "Journées € 😀");
}

TEST(WineRegistryText, MatchesKeysAndValuesAsWindowsDoes) {
    constexpr std::string_view kBody = R"([Decoy]
"Activity Log Directory"="[Software\\Quor Vane\\Quor Vane\\Connectors\\SMTP]"
"Activity Log Directory"="decoy"
   [Software\\Indented]
"V"="indented"

[Software\\Quor Vane\\Quor Vane\\Connectors] 1796582267
#time=1dd85b0e40ff786
"Activity Log Directory"="root"
@="default"

[Software\\Quor Vane\\Quor Vane\\Connectors\\SMTP] 1796582266
"Activity Log Directory"="smtp"
"Only Here"="x"
"Say \"hi\""="quoted"
"Twice"="first"
"Twice"="second"

[Software\\Quor Vane\\Quor Vane\\Connectors\\SMTPX]
"Activity Log Directory"="smtpx"

[Software\\Br\[a\]ckets\\Journ\x00e9es\\Ωmega Дом]
"Ключ"="folded"
)";
    const std::string_view kLog = "Activity Log Directory";
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors\\SMTP", kLog), "smtp");
    EXPECT_EQ(
        TextOf(kBody, "software\\QUOR VANE\\quor vane\\connectors\\smtp", "ACTIVITY LOG DIRECTORY"),
        "smtp");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors\\", kLog), "root");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors", kLog), "root");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors\\SMTPX", kLog), "smtpx");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors\\SMT", kLog), "<missing>");
    EXPECT_EQ(TextOf(kBody, "Software\\Indented", "V"), "indented");
    // Parents of keys have no line of their own, hence no values.
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane", kLog), "<missing>");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\", kLog), "<missing>");

    // A key's values end at the next key line.
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors", "Only Here"),
              "<missing>");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors\\SMTP", "Only Here"), "x");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors\\SMTP", "say \"HI\""),
              "quoted");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors\\SMTP", "Twice"), "second");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors", ""), "default");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors", "@"), "default");
    EXPECT_EQ(TextOf(kBody, "SOFTWARE\\Quor Vane\\Quor Vane\\Connectors\\SMTP", ""), "<missing>");

    // Escaped brackets and \x in key names; case folding beyond ASCII.
    EXPECT_EQ(TextOf(kBody, "Software\\Br[a]ckets\\JOURNÉES\\ΩMEGA дом", "ключ"), "folded");
    EXPECT_EQ(TextOf(kBody, "Software\\Br[a]ckets\\Journees\\Ωmega Дом", "Ключ"), "<missing>");
}

TEST(WineRegistryText, ReturnsEachTypeAsTheRegistryApiDoes) {
    constexpr std::string_view kBody = R"([T]
"Sz"="C:\\Logs"
"Str"=str:"plain"
"Expand"=str(2):"%SystemDrive%\\Logs"
"Multi"=str(7):"first\0second\0"
"Dword"=dword:0000002a
"Unterminated"=hex(1):43,00,3a,00,5c,00,4c,00,6f,00,67,00,73,00
"Binary"=hex:01,02,ff
"Long"=hex(2):43,00,3a,00,5c,00,\
  4c,00,6f,00,\
	67,00,73,00,00,00
"Qword"=hex(b):01,00,00,00,00,00,00,00
"Empty"=""
@="default"
)";
    struct Row {
        std::string_view name;
        std::uint32_t type;
        std::size_t bytes;
        std::string_view text;
    };
    const Row kRows[] = {
        {"Sz", activity::kRegSz, 16, "C:\\Logs"},  // with its terminator
        {"Str", activity::kRegSz, 12, "plain"},
        {"Expand", activity::kRegExpandSz, 38, "%SystemDrive%\\Logs"},
        {"Multi", activity::kRegMultiSz, 28, "first"},
        {"Dword", activity::kRegDword, 4, ""},
        {"Unterminated", activity::kRegSz, 14, "C:\\Logs"},
        {"Binary", activity::kRegBinary, 3, ""},
        {"Long", activity::kRegExpandSz, 16, "C:\\Logs"},
        {"Qword", activity::kRegQword, 8, ""},
        {"Empty", activity::kRegSz, 2, ""},
        {"@", activity::kRegSz, 16, "default"},
    };
    for (const Row& row : kRows) {
        const auto value = Find(kBody, "T", row.name);
        ASSERT_TRUE(value) << row.name;
        EXPECT_EQ(value->type, row.type) << row.name;
        EXPECT_EQ(value->data.size(), row.bytes) << row.name;
        EXPECT_EQ(RegistryText(*value), row.text) << row.name;
    }
    EXPECT_EQ(Units(*Find(kBody, "T", "Sz")), std::u16string(u"C:\\Logs\0", 8));
    EXPECT_EQ(Units(*Find(kBody, "T", "Multi")), std::u16string(u"first\0second\0\0", 14));
    EXPECT_EQ(Find(kBody, "T", "Dword")->data, (std::vector<std::uint8_t>{0x2a, 0, 0, 0}));
    EXPECT_EQ(Find(kBody, "T", "Binary")->data, (std::vector<std::uint8_t>{1, 2, 0xff}));
}

TEST(WineRegistryText, SurvivesMalformedText) {
    const std::string good =
        std::string(kHead) + "[Software\\\\A] 1\n\"V\"=\"C:\\\\Logs\"\n\n[Software\\\\B] 2\n";
    EXPECT_TRUE(FindWineRegistryValue(good, "Software\\A", "V"));
    EXPECT_FALSE(
        FindWineRegistryValue("WINE REGISTRY Version 1\n" + good.substr(24), "Software\\A", "V"));
    EXPECT_FALSE(FindWineRegistryValue(" " + good, "Software\\A", "V"));
    EXPECT_FALSE(FindWineRegistryValue("", "Software\\A", "V"));
    EXPECT_FALSE(FindWineRegistryValue("WINE REGISTRY Version 2", "", ""));

    // Line ends of another system.
    std::string crlf;
    for (char c : good) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(RegistryText(*FindWineRegistryValue(crlf, "Software\\A", "V")), "C:\\Logs");

    // Cut anywhere: the value is whole or missing, never a piece of it.
    for (std::size_t len = 0; len <= good.size(); ++len) {
        const auto value = FindWineRegistryValue(good.substr(0, len), "Software\\A", "V");
        if (value) {
            EXPECT_EQ(RegistryText(*value), "C:\\Logs") << "cut at " << len;
        }
    }

    // An unclosed key line owns nothing; the next good key still reads.
    constexpr std::string_view kUnclosed =
        "[Software\\\\A\n\"V\"=\"1\"\n[Software\\\\B]\n\"V\"=\"2\"\n";
    EXPECT_EQ(TextOf(kUnclosed, "Software\\A", "V"), "<missing>");
    EXPECT_EQ(TextOf(kUnclosed, "Software\\B", "V"), "2");

    // Broken data loses only that setting.
    constexpr std::string_view kBroken = R"([K]
"V"="kept"
"V"="cut
"Hex"=hex:01,1ff
"Dword"=dword:000000001
"Type"=hex(zz):00
"Tail"=hex:01,\
[L]
"Last"=hex:01,\
)";
    EXPECT_EQ(TextOf(kBroken, "K", "V"), "kept");
    for (std::string_view name : {"Hex", "Dword", "Type", "Tail"}) {
        EXPECT_FALSE(Find(kBroken, "K", name)) << name;
    }
    EXPECT_FALSE(Find(kBroken, "L", "Last"));

    // Garbage, and good text with one byte spoilt in each place: no crash, no hang.
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        std::string junk(static_cast<std::size_t>(random() % 400), '\0');
        for (char& c : junk) c = static_cast<char>(random());
        (void)FindWineRegistryValue(junk, "Software\\A", "V");
        (void)FindWineRegistryValue(std::string(kHead) + junk, "Software\\A", "V");
    }
    const std::string rich = std::string(kHead) + "[Software\\\\A]\n" + std::string(kBroken) +
                             "\"V\"=str(7):\"\\x41\\101\\\\\"\n@=hex(2):41,00,\\\n  00,00\n";
    for (std::size_t at = kHead.size(); at < rich.size(); ++at) {
        for (char c : std::string_view("\0\\\"[]\n\r@,(:x", 13)) {
            std::string spoilt = rich;
            spoilt[at] = c;
            (void)FindWineRegistryValue(spoilt, "Software\\A", "V");
            (void)FindWineRegistryValue(spoilt, "Software\\A", "@");
        }
    }
}

TEST(WineRegistryFile, ReadsWholeFilesAndAbsorbsFailures) {
    const fs::path dir = UniqueTempDir("qv-reg-");
    WriteFile(dir / "system.reg", std::string(kHead) + "[A]\n\"V\"=\"x\"\n");
    const auto value = activity::ReadWineRegistryValue((dir / "system.reg").string(), "A", "V");
    ASSERT_TRUE(value);
    EXPECT_EQ(RegistryText(*value), "x");
    EXPECT_FALSE(activity::ReadWineRegistryValue((dir / "none.reg").string(), "A", "V"));
    EXPECT_FALSE(activity::ReadWineRegistryValue(dir.string(), "A", "V"));
    std::error_code ec;
    fs::remove_all(dir, ec);
}

// modConfig on a prefix of our own: WINEPREFIX points at a temporary folder.
class WinePrefixRegistry : public ::testing::Test {
  protected:
    void SetUp() override { prefix_ = UniqueTempDir("qv-prefix-"); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(prefix_, ec);
    }

    void WriteRegistry(std::string_view body) {
        WriteFile(prefix_ / "system.reg", std::string(kHead) + std::string(body));
    }

    // WINEPREFIX is ours for the call only.
    std::string Get(const std::string& key, const std::string& name = "V") {
        const ScopedEnv set("WINEPREFIX", prefix_.c_str());
        return modConfig::GetRegistryString(key, name);
    }

    fs::path prefix_;
};

TEST_F(WinePrefixRegistry, FallsBackToThe32BitView) {
    WriteRegistry(R"([Software\\Both] 1
"V"="64"
[Software\\Quor Vane\\Half]
"Other"="64"
[Software\\Wow6432Node\\Both] 1
"V"="32"
[Software\\Wow6432Node\\Half]
"V"="32"
[Software\\Wow6432Node\\Only]
"V"="32"
[Software\\Wow6432Node\\Sys]
"V"="32"
)");
    EXPECT_EQ(Get("SOFTWARE\\Both"), "64");
    EXPECT_EQ(Get("software\\Only"), "32");
    EXPECT_EQ(Get("SOFTWARE\\Only\\"), "32");
    EXPECT_EQ(Get("SOFTWARE\\Half"), "32");  // the value is missing, not only the key
    EXPECT_EQ(Get("System\\Sys"), "");       // only SOFTWARE has a 32-bit view
    EXPECT_EQ(Get("SOFTWARE\\Missing"), "");
}

TEST_F(WinePrefixRegistry, ExpandsVariablesAsAWineProcessSeesThem) {
    WriteRegistry(R"([System\\CurrentControlSet\\Control\\Session Manager\\Environment] 1
"TEMP"=str(2):"%SystemRoot%\\temp"
"Logs"="D:\\Logs"
"Chain"=str(2):"%Logs%\\x"
"Number"=dword:00000001
[V]
"Drive"=str(2):"%SystemDrive%\\Quorvane\\Logs"
"Root"=str(2):"%systemroot%|%WINDIR%"
"Env"=str(2):"%temp%\\q"
"Chain"=str(2):"%Chain%"
"Unknown"=str(2):"%Nope%\\x %Number%"
"Restart"=str(2):"%Nope%SystemDrive%"
"Lone"=str(2):"100% sure %% %"
"Plain"="%SystemDrive%"
)");
    EXPECT_EQ(Get("V", "Drive"), "C:\\Quorvane\\Logs");
    EXPECT_EQ(Get("V", "Root"), "C:\\windows|C:\\windows");
    EXPECT_EQ(Get("V", "Env"), "C:\\windows\\temp\\q");
    EXPECT_EQ(Get("V", "Chain"), "D:\\Logs\\x");
    EXPECT_EQ(Get("V", "Unknown"), "%Nope%\\x %Number%");
    EXPECT_EQ(Get("V", "Restart"), "%NopeC:");
    EXPECT_EQ(Get("V", "Lone"), "100% sure %% %");
    EXPECT_EQ(Get("V", "Plain"), "%SystemDrive%");
}

TEST_F(WinePrefixRegistry, ReadsWhatWine8Wrote) {
    fs::copy_file(fs::path(QV_TEST_DATA_DIR) / "wine-8.0-system.reg", prefix_ / "system.reg");
    const std::string base = "SOFTWARE\\Quor Vane\\Quor Vane\\";
    const std::string name = "Activity Log Directory";
    EXPECT_EQ(Get(base + "Connectors\\SMTP", name), "C:\\Quorvane\\Logs\\");
    EXPECT_EQ(Get(base + "Connectors\\", name), "C:\\Quorvane\\POPC Logs");
    EXPECT_EQ(Get(base + "Services\\HTTPMAIL", name), "C:\\Quorvane\\Journées [x] ég");
    EXPECT_EQ(Get(base + "Agents\\MTA", name), "C:\\Quorvane\\Logs");
    EXPECT_EQ(Get(base + "Services\\POP", name), "");
    EXPECT_EQ(Get(base + "Connectors\\LS", name), "");
    EXPECT_EQ(Get(base + "Connectors\\Quote", name), "C:\\Say \"hi\"\\Logs");
    EXPECT_EQ(Get(base + "Connectors\\Unterminated", name), "C:\\Logs");
    EXPECT_EQ(Get(base + "Connectors\\SF", name), "C:\\Quorvane\\Logs32");
    EXPECT_EQ(Get(base + "Connectors\\POPC", name), "");
    EXPECT_EQ(Get("software\\quor vane\\QUOR VANE\\connectors\\smtp", "activity log directory"),
              "C:\\Quorvane\\Logs\\");
    EXPECT_EQ(Get("System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP"), "1252");

    // A prefix without a registry.
    fs::remove(prefix_ / "system.reg");
    EXPECT_EQ(Get(base + "Connectors\\SMTP", name), "");
}
