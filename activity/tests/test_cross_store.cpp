// Windows programs and the native build over one Wine prefix: what Wine's
// `reg add` and `copy` leave in the prefix's registry and on its C: drive, the
// native build reads as the Windows build (a cross-built probe) does. Run by
// tools/mingw-tests.sh, which makes a fresh prefix and names it and the
// probe in QV_CROSS_PREFIX and QV_CROSS_PROBE; skipped without them.
#include <stdlib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "modConfig.h"
#include "recording_follower.h"
#include "whole_file.h"

namespace fs = std::filesystem;

namespace {

// A shell word that stands for `text` exactly.
std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a program with Wine quiet and headless, bounded in time, and gives its
// output. That goes through files, never our own pipes, which a
// wineserver that lingers after the program would hold open.
std::string Spawn(const std::vector<std::string>& words, const std::string& input = {}) {
    const std::string io = std::string(getenv("QV_CROSS_PREFIX")) + "/qv-cross";
    std::ofstream(io + ".in", std::ios::binary) << input;
    // Wine takes non-ASCII arguments in the locale's encoding.
    std::string line =
        "env WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY= "
        "LC_ALL=C.UTF-8 timeout 120";
    for (const std::string& word : words) line += " " + Quoted(word);
    line += " <" + Quoted(io + ".in") + " >" + Quoted(io + ".out") + " 2>" + Quoted(io + ".err");
    const int status = std::system(line.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << line << ": " << activity::ReadWholeFile(io + ".err").value_or("");
    return activity::ReadWholeFile(io + ".out").value_or("");
}

}  // namespace

TEST(CrossStore, ReadsWhatWindowsProgramsWrote) {
    const char* prefix = getenv("QV_CROSS_PREFIX");
    const char* probe = getenv("QV_CROSS_PROBE");
    if (!prefix || !*prefix || !probe || !*probe) {
        GTEST_SKIP() << "needs a Wine prefix and the Windows probe: tools/mingw-tests.sh";
    }
    setenv("WINEPREFIX", prefix, 1);  // this test's process alone
    const std::string wine = getenv("QV_WINE") ? getenv("QV_WINE") : "wine";
    const std::string root = "Software\\QvCross", text = "a \"b\" c\\d\\[x] é Жж 中 end\\";
    // What reg.exe adds, then what both builds read back.
    const struct {
        std::string key, name, type, data, view, want;
    } kRows[] = {
        {root + "\\Key [x] \"q\" é", "quo\"te", "REG_SZ", text, "/reg:64", text},
        // Escapes followed by hex digits, a surrogate pair and a control character.
        {root, "hex=next]", "REG_SZ", "é1 Жa 中f 😀 tab\tend", "/reg:64", "é1 Жa 中f 😀 tab\tend"},
        {root, "Multi", "REG_MULTI_SZ", "first\\07 seas", "/reg:64", "first"},
        {root, "Narrow", "REG_SZ", "thirty-two", "/reg:32", "thirty-two"},
        {"Software\\Quor Vane\\Quor Vane\\Connectors\\SMTP", "Activity Log Directory",
         "REG_EXPAND_SZ", "%SystemDrive%\\Quorvane\\Logs", "/reg:64", "C:\\Quorvane\\Logs"},
    };
    std::string questions;
    for (const auto& row : kRows) {
        questions += row.key + "\t" + row.name + "\n";
        Spawn({wine, "reg", "add", "HKLM\\" + row.key, "/v", row.name, "/t", row.type, "/d",
               row.data, "/f", row.view});
    }
    // Once every Wine process is gone the server saves the registry and ends.
    Spawn({getenv("QV_WINESERVER") ? getenv("QV_WINESERVER") : "wineserver", "-w"});
    // The Windows build's answers, through Win32 under Wine.
    std::istringstream answers(Spawn({wine, probe}, questions));
    for (const auto& row : kRows) {
        std::string windows;
        std::getline(answers, windows);
        EXPECT_EQ(windows + " | " + modConfig::GetRegistryString(row.key, row.name),
                  row.want + " | " + row.want)
            << row.key << " : " << row.name;
    }

    // A log in the prefix's code page, 1252, that Windows' copy writes in the
    // folder the last row names; made as "QuorVane", it matches "Quorvane" as
    // on Windows.
    fs::create_directories(fs::path(prefix) / "drive_c/QuorVane/Logs");
    std::ofstream(fs::path(prefix) / "drive_c/lines.txt", std::ios::binary)
        << "first line from Windows\r\ncaf\xe9 \x80 5 \x93quoted\x94 \xff\r\n"
           "a lone\nLF stays in its line\r\nan old-style line ended by CR alone\rpartial";
    RecordingFollower f;
    f.Initialise();
    Spawn({wine, "cmd", "/c", "copy", "/b", "C:\\lines.txt", f.GetActiveFileName()});
    EXPECT_EQ(f.Scan(),
              (Lines{"first line from Windows", "café € 5 “quoted” ÿ",
                     "a lone\nLF stays in its line", "an old-style line ended by CR alone"}));
}
