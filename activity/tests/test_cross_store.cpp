// Windows programs and the native build over one Wine prefix: what Wine's
// `reg add` and a cross-built writer leave in the prefix's registry and on its
// C: drive, the native build reads as the Windows build would. Run by
// tools/windows-tests.sh, which makes a fresh prefix and names it and the
// Windows helpers in QV_CROSS_PREFIX, QV_CROSS_WRITER and QV_CROSS_PROBE;
// skipped without them.
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "follower_fixture.h"
#include "log_naming.h"
#include "modConfig.h"
#include "registry_value.h"
#include "scoped_env.h"
#include "wine_registry.h"

namespace fs = std::filesystem;

namespace {

std::string EnvOr(const char* name, const char* fallback) {
    const char* value = getenv(name);
    return value && *value ? value : fallback;
}

// A shell word that stands for `text` exactly.
std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    for (char16_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return out;
}

using Question = std::pair<std::string, std::string>;  // key path, value name

class CrossStore : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* prefix = getenv("QV_CROSS_PREFIX");
        const char* writer = getenv("QV_CROSS_WRITER");
        const char* probe = getenv("QV_CROSS_PROBE");
        if (!prefix || !*prefix || !writer || !*writer || !probe || !*probe) {
            GTEST_SKIP() << "needs a Wine prefix and the Windows helpers: tools/windows-tests.sh";
        }
        prefix_ = prefix;
        writer_ = writer;
        probe_ = probe;
        wine_ = EnvOr("QV_WINE", access("/usr/bin/wine", X_OK) == 0 ? "/usr/bin/wine"
                                                                    : "/usr/lib/wine/wine64");
        wineserver_ = EnvOr("QV_WINESERVER", access("/usr/bin/wineserver", X_OK) == 0
                                                 ? "/usr/bin/wineserver"
                                                 : "/usr/lib/wine/wineserver");
        ASSERT_TRUE(fs::is_regular_file(prefix_ / "system.reg")) << prefix_ << " is no prefix";
        scratch_ = fs::temp_directory_path() / ("qv-cross-" + std::to_string(getpid()));
        fs::create_directories(scratch_);
        prefixEnv_.emplace("WINEPREFIX", prefix_.c_str());
    }

    void TearDown() override {
        std::error_code ec;
        if (!scratch_.empty()) fs::remove_all(scratch_, ec);
    }

    // Runs `command` with the prefix's Wine settings, bounded in time. Its
    // output goes to files, never to our own pipes, which a wineserver that
    // lingers after the program would hold open. Returns the exit status.
    int Run(const std::string& command, const std::string& input, std::string* output) {
        const fs::path in = scratch_ / "in";
        const fs::path out = scratch_ / "out";
        std::ofstream(in, std::ios::binary) << input;
        const std::string line = "env WINEPREFIX=" + Quoted(prefix_) +
                                 " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY="
                                 // Wine takes non-ASCII arguments in the locale's encoding.
                                 " LC_ALL=C.UTF-8 timeout 120 " +
                                 command + " <" + Quoted(in) + " >" + Quoted(out) + " 2>" +
                                 Quoted(scratch_ / "err");
        const int status = std::system(line.c_str());
        if (output) *output = ReadText(out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    int Wine(const std::vector<std::string>& args, const std::string& input = {},
             std::string* output = nullptr) {
        std::string command = Quoted(wine_);
        for (const std::string& arg : args) command += " " + Quoted(arg);
        return Run(command, input, output);
    }

    std::string Errors() const { return ReadText(scratch_ / "err"); }

    // Once every Wine process is gone the server saves the registry and ends.
    void WaitForSave() { ASSERT_EQ(Run(Quoted(wineserver_) + " -w", {}, nullptr), 0); }

    // One value through Wine's reg.exe, in the 64-bit view unless told; a
    // null `name` sets the key's default value.
    void RegAdd(const std::string& key, const char* name, const char* type, const std::string& data,
                const char* view = "/reg:64") {
        std::vector<std::string> args{"reg", "add", "HKLM\\" + key};
        if (name) {
            args.insert(args.end(), {"/v", name});
        } else {
            args.emplace_back("/ve");
        }
        args.insert(args.end(), {"/t", type, "/d", data, "/f", view});
        ASSERT_EQ(Wine(args), 0) << "reg add " << key << ": " << Errors();
    }

    // What the Windows build's GetRegistryString answers, asked under Wine.
    std::vector<std::string> AskWindows(const std::vector<Question>& questions) {
        std::string input;
        for (const auto& [key, name] : questions) input += key + "\t" + name + "\n";
        std::string output;
        EXPECT_EQ(Wine({probe_.string()}, input, &output), 0) << Errors();
        std::vector<std::string> answers;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) answers.push_back(FromHex(line));
        return answers;
    }

    // Appends `bytes` to the SMTP log of the day in `folder` with the writer;
    // the file's Windows name as the writer made it.
    std::string WriteLog(const std::string& folder, const std::string& bytes) {
        std::string written;
        EXPECT_EQ(Wine({writer_.string(), folder, "SMTP"}, bytes, &written), 0) << Errors();
        return written;
    }

    fs::path prefix_;
    fs::path writer_;
    fs::path probe_;
    std::string wine_;
    std::string wineserver_;
    fs::path scratch_;
    std::optional<ScopedEnv> prefixEnv_;
};

}  // namespace

TEST_F(CrossStore, RegistryValuesReadAsWineWroteThem) {
    const std::string root = "Software\\QvCross";
    const std::string odd = root + "\\Key [x] \"q\" é";
    const std::string text = "a \"b\" c\\d\\[x] é Жж 中 end\\";
    // Escapes followed by hex digits, a surrogate pair and a control character.
    const std::string tricky = "é1 Жa 中f 😀 tab\tend";
    RegAdd(odd, "quo\"te", "REG_SZ", text);
    RegAdd(root, "hex=next]", "REG_SZ", tricky);
    RegAdd(root, nullptr, "REG_SZ", "the default value");
    RegAdd(root, "Expand", "REG_EXPAND_SZ", "%SystemDrive%\\Quorvane\\Logs");
    RegAdd(root, "Dword", "REG_DWORD", "42");
    RegAdd(root, "Empty", "REG_SZ", "");
    RegAdd(root, "Multi", "REG_MULTI_SZ", "first\\07 seas");
    std::string binary;  // 48 bytes, 0 to 47: more than one line of the file
    for (int i = 0; i < 48; ++i) {
        binary += "0123"[i / 16];
        binary += "0123456789abcdef"[i % 16];
    }
    RegAdd(root, "Binary", "REG_BINARY", binary);
    RegAdd(root + "32", "Narrow", "REG_SZ", "thirty-two", "/reg:32");
    RegAdd(root + "Views", "Which", "REG_SZ", "the 64-bit view");
    RegAdd(root + "Views", "Which", "REG_SZ", "the 32-bit view", "/reg:32");
    if (HasFatalFailure()) return;
    WaitForSave();
    if (HasFatalFailure()) return;

    const struct {
        std::string key;
        std::string name;
        std::string text;
    } cases[] = {
        {odd, "quo\"te", text},
        {"SOFTWARE\\QVCROSS\\KEY [X] \"Q\" É", "QUO\"TE", text},
        {root, "hex=next]", tricky},
        {root, "", "the default value"},
        {root, "Expand", "C:\\Quorvane\\Logs"},
        {root, "Dword", ""},
        {root, "Empty", ""},
        {root, "Multi", "first"},
        {root, "Binary", ""},
        {root, "Absent", ""},
        {"SOFTWARE\\QvCross32", "Narrow", "thirty-two"},
        {"SOFTWARE\\QvCrossViews", "Which", "the 64-bit view"},
    };
    std::vector<Question> questions;
    for (const auto& c : cases) questions.emplace_back(c.key, c.name);
    const std::vector<std::string> windows = AskWindows(questions);
    ASSERT_EQ(windows.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].key + " : " + cases[i].name);
        EXPECT_EQ(modConfig::GetRegistryString(cases[i].key, cases[i].name), cases[i].text);
        EXPECT_EQ(windows[i], cases[i].text);
    }

    // Types and data, which the text alone does not tell apart.
    const std::string reg = (prefix_ / "system.reg").string();
    const auto expand = activity::ReadWineRegistryValue(reg, root, "Expand");
    ASSERT_TRUE(expand);
    EXPECT_EQ(expand->type, activity::kRegExpandSz);
    EXPECT_EQ(activity::RegistryText(*expand), "%SystemDrive%\\Quorvane\\Logs");
    const auto dword = activity::ReadWineRegistryValue(reg, root, "Dword");
    ASSERT_TRUE(dword);
    EXPECT_EQ(dword->type, activity::kRegDword);
    EXPECT_EQ(dword->data, (std::vector<std::uint8_t>{42, 0, 0, 0}));
    const auto empty = activity::ReadWineRegistryValue(reg, root, "Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->type, activity::kRegSz);
    EXPECT_EQ(empty->data, (std::vector<std::uint8_t>{0, 0}));
    const auto multi = activity::ReadWineRegistryValue(reg, root, "Multi");
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->type, activity::kRegMultiSz);
    EXPECT_EQ(multi->data, Utf16Bytes(std::u16string_view(u"first\0"
                                                          u"7 seas\0",
                                                          14)));
    const auto bytes = activity::ReadWineRegistryValue(reg, root, "Binary");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->type, activity::kRegBinary);
    ASSERT_EQ(bytes->data.size(), 48u);
    for (std::size_t i = 0; i < 48; ++i) EXPECT_EQ(bytes->data[i], i);
    EXPECT_FALSE(activity::ReadWineRegistryValue(reg, root, "Absent"));
    EXPECT_FALSE(activity::ReadWineRegistryValue(reg, root + "32", "Narrow"));
    EXPECT_TRUE(activity::ReadWineRegistryValue(reg, "Software\\Wow6432Node\\QvCross32", "Narrow"));
}

// The folder is made as "QuorVane" and the setting says "Quorvane": Windows
// names ignore case, and so must the native mapping.
TEST_F(CrossStore, FollowsTheLogAWindowsProgramWrites) {
    RegAdd("Software\\Quor Vane\\Quor Vane\\Connectors\\SMTP", "Activity Log Directory",
           "REG_EXPAND_SZ", "%SystemDrive%\\Quorvane\\Logs");
    if (HasFatalFailure()) return;
    WaitForSave();
    if (HasFatalFailure()) return;
    ASSERT_EQ(
        modConfig::GetRegistryString("System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP"),
        "1252")
        << "the lines below are in code page 1252";

    RecordingFollower f("SMTP", 0);
    f.today = activity::SystemLocalDate();
    f.Initialise();
    EXPECT_EQ(f.LoggingDirectory(), "C:\\Quorvane\\Logs");
    EXPECT_EQ(f.Scan(), Lines{});

    const std::string name = "SMTP-Activity-" + activity::DateStamp(f.today) + ".log";
    const std::string first = WriteLog("C:\\QuorVane\\Logs",
                                       "first line from the Windows writer\r\n"
                                       "short\r\n"
                                       "caf\xe9 \x80 5 \x93quoted\x94 \xff\r\n"
                                       "a lone\nLF stays in its line\r\n"
                                       "an old-style line ended by CR alone\r"
                                       "a partial line wi");
    if (activity::SystemLocalDate() != f.today) GTEST_SKIP() << "the day changed meanwhile";
    EXPECT_EQ(first, "C:\\QuorVane\\Logs\\" + name);
    const fs::path local = prefix_ / "drive_c" / "QuorVane" / "Logs" / name;
    ASSERT_TRUE(fs::is_regular_file(local));
    EXPECT_EQ(f.Scan(),
              (Lines{"first line from the Windows writer", "café € 5 “quoted” ÿ",
                     "a lone\nLF stays in its line", "an old-style line ended by CR alone"}));

    const std::string second = WriteLog("c:\\QUORVANE\\logs",
                                        "thout its end until now\r\n"
                                        "second batch, appended later\r\n");
    if (activity::SystemLocalDate() != f.today) GTEST_SKIP() << "the day changed meanwhile";
    EXPECT_EQ(second, "c:\\QUORVANE\\logs\\" + name);
    EXPECT_EQ(f.Scan(),
              (Lines{"a partial line without its end until now", "second batch, appended later"}));
    EXPECT_EQ(f.ReadPosition(), FileSize(local));
    // Wine found the folder it had made rather than making another.
    EXPECT_EQ(std::distance(fs::directory_iterator(prefix_ / "drive_c" / "QuorVane" / "Logs"),
                            fs::directory_iterator()),
              1);
    EXPECT_FALSE(fs::exists(prefix_ / "drive_c" / "Quorvane"));
    EXPECT_FALSE(fs::exists(prefix_ / "drive_c" / "QUORVANE"));
}
