// The simulator as a process: the prefix it makes, what it writes, where,
// and when it stops.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "log_folders.h"
#include "journal.h"
#include "log_naming.h"
#include "prefix.h"
#include "text.h"
#include "wine_prefix.h"
#include "wine_registry.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The simulator, started with `args` and the test's environment plus `env`.
class SimProcess {
  public:
    SimProcess(const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env) {
        std::vector<std::string> words{QV_SIMSERVER};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<std::string> vars;
        for (char** e = environ; *e; ++e) {
            const std::string var = *e;
            if (!env.contains(var.substr(0, var.find('=')))) vars.push_back(var);
        }
        for (const auto& [name, value] : env) vars.push_back(name + "=" + value);
        std::vector<char*> argv, envp;
        for (std::string& w : words) argv.push_back(w.data());
        for (std::string& v : vars) envp.push_back(v.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, QV_SIMSERVER, nullptr, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
    }
    ~SimProcess() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    void Signal(int sig) { kill(pid_, sig); }

    // The exit code, or -1 when it did not exit by itself within `limit`.
    int Wait(std::chrono::milliseconds limit = 30s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!status_ && pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            } else if (std::chrono::steady_clock::now() >= deadline) {
                return -1;
            } else {
                std::this_thread::sleep_for(10ms);
            }
        }
        return status_.value_or(-1);
    }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

int RunSim(const std::vector<std::string>& args,
           const std::map<std::string, std::string>& env = {}) {
    SimProcess sim(args, env);
    return sim.Wait();
}

// What each file the journal names must hold, byte for byte.
std::map<std::string, std::string> ExpectedFiles(const std::vector<sim::JournalEntry>& journal) {
    std::map<std::string, std::string> files;
    for (const auto& e : journal) files[e.path] += sim::EncodeCp1252(e.text) + "\r\n";
    return files;
}

std::set<std::string> RegularFilesUnder(const fs::path& dir) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) files.insert(entry.path().string());
    }
    return files;
}

class SimServer : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qvsim-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        prefix_ = root_ / "prefix";
        journal_ = (root_ / "journal.txt").string();
    }
    void TearDown() override { fs::remove_all(root_); }

    std::vector<sim::JournalEntry> Journal() const { return sim::ReadJournal(journal_); }

    void ExpectFilesMatchJournal() const {
        for (const auto& [path, bytes] : ExpectedFiles(Journal())) {
            EXPECT_EQ(ReadFile(path), bytes) << path;
        }
    }

    fs::path root_;
    fs::path prefix_;
    std::string journal_;
};

TEST_F(SimServer, MakesAPrefixTheMonitorReadsAndWritesWhereItLooks) {
    ASSERT_EQ(RunSim({"--lines", "60", "--rate", "0", "--seed", "7", "--start-at",
                      "2002-08-21 12:00:00", "--journal", journal_, prefix_.string()},
                     {{"TZ", "UTC"}}),
              0);
    EXPECT_TRUE(fs::exists(prefix_ / sim::kMarkerName));
    EXPECT_EQ(fs::read_symlink(prefix_ / "dosdevices" / "c:"), "../drive_c");
    const std::string reg = ReadFile(prefix_ / "system.reg");
    EXPECT_TRUE(reg.starts_with("WINE REGISTRY Version 2\n"));
    EXPECT_NE(reg.find("\n#arch=win64\n"), std::string::npos);
    const auto acp =
        activity::ReadWineRegistryValue((prefix_ / "system.reg").string(),
                                        "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP");
    ASSERT_TRUE(acp);
    EXPECT_EQ(activity::RegistryText(*acp), "1252");

    // Through the monitor's own look-up and naming: every line of each
    // component went to the file the monitor follows on that date.
    setenv("WINEPREFIX", prefix_.c_str(), 1);
    std::map<std::string, std::string> followed;
    for (const sim::Component& c : sim::kComponents) {
        const std::string dir = sim::LoggingDirectory(c);
        EXPECT_TRUE(dir.starts_with("C:\\Quorvane\\")) << c.name << ": " << dir;
        followed[std::string(c.name)] = activity::MapWindowsPath(
            activity::ActiveFileName(dir, c.name, {2002, 8, 21}), prefix_.string(), "/");
    }
    unsetenv("WINEPREFIX");
    const std::string c = fs::canonical(prefix_ / "drive_c").string();
    EXPECT_EQ(fs::canonical(followed["POPC"]), c + "/Quorvane/POPC Logs/POPC-Activity-020821.log");
    EXPECT_EQ(fs::canonical(followed["HTTPMAIL"]),
              c + "/Quorvane/Logs/Accès Web/HTTP-Activity-020821.log");
    EXPECT_EQ(fs::canonical(followed["SF"]), c + "/Quorvane/Logs/POC-Debug-020821.log");

    const auto journal = Journal();
    std::map<std::string, int> lines;
    for (const auto& e : journal) {
        EXPECT_EQ(e.path, followed[e.component]) << e.component;
        ++lines[e.component];
    }
    EXPECT_EQ(lines.size(), 7u);
    for (const auto& [component, count] : lines) EXPECT_EQ(count, 60) << component;
    ExpectFilesMatchJournal();
    std::set<std::string> named;
    for (const auto& e : journal) named.insert(fs::canonical(e.path).string());
    const std::set<std::string> written = RegularFilesUnder(c);
    EXPECT_EQ(written, named);

    // Traffic worth watching: the dialogues, names in the code page, and bare
    // lines either side of the monitor's 10-character limit.
    std::string smtp;
    int shortLines = 0, elevenLines = 0, nonAscii = 0;
    for (const auto& e : journal) {
        if (e.component == "SMTP") smtp += e.text + "\n";
        const std::size_t chars = sim::DecodeUtf8(e.text).size();
        shortLines += chars <= 10;
        elevenLines += chars == 11;
        nonAscii += sim::EncodeCp1252(e.text).size() < e.text.size();
        const std::string bytes = sim::EncodeCp1252(e.text);
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '?'),
                  std::count(e.text.begin(), e.text.end(), '?'))
            << "not in code page 1252: " << e.text;
    }
    for (const char* step : {"EHLO ", "MAIL FROM:<", "RCPT TO:<", "250 2.0.0 OK queued as"}) {
        EXPECT_NE(smtp.find(step), std::string::npos) << step;
    }
    EXPECT_GT(shortLines, 0);
    EXPECT_GT(elevenLines, 0);
    EXPECT_GT(nonAscii, 0);

    // A prefix of its own is used again as it is: the logs grow, the
    // settings stay.
    const auto regTime = fs::last_write_time(prefix_ / "system.reg");
    ASSERT_EQ(RunSim({"--lines", "5", "--rate", "0", "--start-at", "2002-08-21 12:00:01",
                      "--journal", journal_, prefix_.string()},
                     {{"TZ", "UTC"}}),
              0);
    EXPECT_EQ(fs::last_write_time(prefix_ / "system.reg"), regTime);
    EXPECT_EQ(Journal().size(), journal.size() + 35);
    ExpectFilesMatchJournal();
}

TEST_F(SimServer, LeavesAFolderItDidNotMakeAloneUnlessForced) {
    EXPECT_EQ(RunSim({}), 2);
    EXPECT_EQ(RunSim({"--rate", "fast", prefix_.string()}), 2);
    EXPECT_FALSE(fs::exists(prefix_));
    std::ofstream(root_ / "plain-file") << "x";
    EXPECT_EQ(RunSim({(root_ / "plain-file").string()}), 1);

    // A real prefix, say: its settings and files stay as they are.
    fs::create_directories(prefix_);
    fs::copy_file(QV_TEST_DATA_DIR "/wine-8.0-system.reg", prefix_ / "system.reg");
    std::ofstream(prefix_ / "user.reg") << "WINE REGISTRY Version 2\n";
    const std::string reg = ReadFile(prefix_ / "system.reg");
    EXPECT_EQ(RunSim({"--lines", "3", "--rate", "0", "--journal", journal_, prefix_.string()}), 3);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(prefix_)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"system.reg", "user.reg"}));
    EXPECT_FALSE(fs::exists(journal_));

    // Forced, it writes where that prefix's settings say, and only there:
    // components without a usable directory get no log.
    ASSERT_EQ(RunSim({"--force", "--lines", "3", "--rate", "0", "--start-at", "2002-08-21 12:00:00",
                      "--journal", journal_, prefix_.string()},
                     {{"TZ", "UTC"}}),
              0);
    EXPECT_EQ(ReadFile(prefix_ / "system.reg"), reg);
    EXPECT_EQ(ReadFile(prefix_ / "user.reg"), "WINE REGISTRY Version 2\n");
    EXPECT_FALSE(fs::exists(prefix_ / sim::kMarkerName));
    std::map<std::string, std::string> paths;
    for (const auto& e : Journal()) paths[e.component] = e.path;
    EXPECT_EQ(paths.size(), 5u);
    EXPECT_FALSE(paths.contains("LS"));   // its directory is empty
    EXPECT_FALSE(paths.contains("POP"));  // a number, not a string
    const std::string c = fs::canonical(prefix_ / "drive_c").string();
    EXPECT_EQ(fs::canonical(paths["SMTP"]), c + "/Quorvane/Logs/SMTP-Activity-020821.log");
    EXPECT_EQ(fs::canonical(paths["SF"]), c + "/Quorvane/Logs32/POC-Debug-020821.log");
    EXPECT_EQ(fs::canonical(paths["MTA"]), c + "/Quorvane/Logs/MTA-Debug-020821.log");
    ExpectFilesMatchJournal();
}

TEST_F(SimServer, RollsOverToTheNextDaysFilesAtLocalMidnight) {
    ASSERT_EQ(RunSim({"--lines", "30", "--rate", "20", "--start-at", "2002-08-21 23:59:59",
                      "--journal", journal_, prefix_.string()},
                     {{"TZ", "Europe/Paris"}}),
              0);
    std::map<std::string, std::vector<std::string>> days;  // component -> stamp per file
    for (const auto& e : Journal()) {
        const std::string day = e.path.substr(e.path.size() - 10, 6);
        auto& seen = days[e.component];
        if (seen.empty() || seen.back() != day) seen.push_back(day);
        // A line's time of day agrees with the file it went to.
        if (e.text.starts_with("23:59:")) {
            EXPECT_EQ(day, "020821") << e.text;
        } else if (e.text.starts_with("00:00:")) {
            EXPECT_EQ(day, "020822") << e.text;
        }
    }
    ASSERT_EQ(days.size(), 7u);
    for (const auto& [component, seen] : days) {
        EXPECT_EQ(seen, (std::vector<std::string>{"020821", "020822"})) << component;
    }
    ExpectFilesMatchJournal();
}

TEST_F(SimServer, StopsOnInterruptOrTerminateWithTheLastLineWhole) {
    for (int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        journal_ = (root_ / ("journal-" + std::to_string(sig))).string();
        prefix_ = root_ / ("prefix-" + std::to_string(sig));
        SimProcess sim({"--rate", "60", "--journal", journal_, prefix_.string()}, {});
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (Journal().size() < 50 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_GE(Journal().size(), 50u);
        sim.Signal(sig);
        EXPECT_EQ(sim.Wait(5s), 0);
        // Nothing after the stop, nothing half written.
        ExpectFilesMatchJournal();
        for (const auto& [path, bytes] : ExpectedFiles(Journal())) {
            EXPECT_TRUE(ReadFile(path).ends_with("\r\n")) << path;
        }
    }
}

}  // namespace
