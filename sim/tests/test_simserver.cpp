// The simulator as a process: the prefix it makes, what it writes, where,
// and when it stops.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <span>
#include <string>
#include <vector>

#include "journal.h"
#include "text.h"
#include "whole_file.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // relative path -> bytes

class SimServer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(mkdtemp(root_.data()), nullptr);
        prefix_ = root_ + "/prefix";
        journal_ = root_ + "/journal";
    }
    void TearDown() override { fs::remove_all(root_); }

    // The exit code of the simulator on the prefix, killed when it runs for
    // more than 30 s; or, when `then` goes on, of the shell command that
    // signals it (its $! is the simulator; ctest's timeout bounds it).
    int Sim(const std::string& options, const std::string& then = "") const {
        const std::string bound = then.empty() ? "timeout -s KILL 30 " : "";
        const int status = std::system((bound + QV_SIMSERVER " " + options + " --journal '" +
                                        journal_ + "' '" + prefix_ + "'" + then)
                                           .c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Every regular file under `dir` of the prefix.
    Files OnDisk(const std::string& dir = "") const {
        Files files;
        for (const auto& entry : fs::recursive_directory_iterator(prefix_ + dir)) {
            if (entry.is_regular_file())
                files[fs::relative(entry, prefix_ + dir)] = *activity::ReadWholeFile(entry.path());
        }
        return files;
    }

    // What the journal says the server wrote there: each line in code page
    // 1252 with CRLF.
    Files Journaled(const std::string& dir = "") const {
        Files files;
        for (const auto& e : sim::ReadJournal(journal_)) {
            files[fs::relative(e.path, prefix_ + dir)] += sim::EncodeCp1252(e.text) + "\r\n";
        }
        return files;
    }

    std::string root_ = (fs::temp_directory_path() / "qvsim-XXXXXX").string();
    std::string prefix_, journal_;
};

// Each component's log lands, named for the day, where the monitor looks in
// the prefix made for it; a new local day opens new files.
TEST_F(SimServer, WritesTheDaysLogsWhereTheMonitorLooksAndRollsOverAtMidnight) {
    setenv("TZ", "Europe/Paris", 1);
    ASSERT_EQ(Sim("--lines 30 --rate 20 --seed 7 --start-at '2002-08-21 23:59:59'"), 0);
    const Files files = OnDisk("/drive_c/Quorvane");
    EXPECT_EQ(files, Journaled("/drive_c/Quorvane"));
    // Seven logs a day; where the monitor looks, e2e_monitor shows.
    EXPECT_EQ(files.size(), 14u);

    // A line's time of day agrees with the file it went to.
    for (const auto& e : sim::ReadJournal(journal_)) {
        if (e.text.starts_with("23:59:") || e.text.starts_with("00:00:")) {
            EXPECT_EQ(e.path.ends_with("21.log"), e.text[0] == '2') << e.text;
        }
    }
}

// What a seed makes, time stamps aside, is what it made when recorded: the
// demo and the end-to-end tests are read against it. After changing the
// traffic on purpose: QV_RECORD_TRAFFIC=1 ctest -R Recorded, and review the diff.
// In it a message keeps its queue id from SMTP or HTTPMAIL through SF to MTA
// and, for a local mailbox, to POP or HTTPMAIL, each step seconds after the
// line that handed it on; a remote delivery ends at MTA.
TEST_F(SimServer, MakesTheTrafficRecordedForItsSeedWhereMessagesGoThroughTheServer) {
    ASSERT_EQ(Sim("--lines 220 --rate 20 --seed 11 --start-at '2002-08-21 10:00:00'"), 0);
    std::map<std::string, std::string> logs;  // by component, in the order written
    struct Seen {
        std::string component, text;
        double at;  // seconds into the day
    };
    std::map<std::string, std::vector<Seen>> trails;  // by queue id, in the order written
    const std::regex queueId("Q[0-9A-F]{6}");
    for (const auto& e : sim::ReadJournal(journal_)) {
        const bool stamped = e.text.size() > 13 && e.text[2] == ':' && e.text[8] == '.';
        logs[e.component] += (stamped ? e.text.substr(13) : e.text) + "\n";
        for (std::sregex_iterator m(e.text.begin(), e.text.end(), queueId), end; m != end; ++m) {
            trails[m->str()].push_back({e.component, e.text,
                                        std::stoi(e.text.substr(0, 2)) * 3600 +
                                            std::stoi(e.text.substr(3, 2)) * 60 +
                                            std::stod(e.text.substr(6, 6))});
        }
    }
    std::string traffic;
    for (const auto& [component, lines] : logs) traffic += "== " + component + "\n" + lines;
    const std::string recorded = QV_TEST_DATA_DIR "/sim-traffic-seed-11.txt";
    if (std::getenv("QV_RECORD_TRAFFIC")) std::ofstream(recorded, std::ios::binary) << traffic;
    EXPECT_EQ(traffic, activity::ReadWholeFile(recorded).value_or("none recorded"));

    int toMailbox = 0, toRemote = 0;
    for (const auto& [id, trail] : trails) {
        if (trail[0].text.find("queued as " + id) == std::string::npos) continue;  // from elsewhere
        // Steps: 0 accepted or sent, 1 SF, 2 MTA, 3 the mailbox's owner.
        int step = 0;
        double handedOn = trail[0].at;
        bool local = false;
        for (const Seen& s : std::span(trail).subspan(1)) {
            const int k = s.component == "SF"                                 ? 1
                          : s.component == "MTA"                              ? 2
                          : s.component == "POP" || s.component == "HTTPMAIL" ? 3
                                                                              : 9;
            // MTA may still deliver to others while a mailbox's owner reads.
            EXPECT_GE(k, std::min(step, 2)) << s.text;
            if (k > step) {
                EXPECT_EQ(k, step + 1) << s.text;
                EXPECT_GE(s.at - handedOn, 1.0) << s.text;
                EXPECT_TRUE(k < 3 || local) << s.text;
                step = k;
            }
            if (k == 1) handedOn = s.at;
            if (k == 2 && !local && s.text.find("local mailbox") != std::string::npos) {
                handedOn = s.at;
                local = true;
            }
        }
        toMailbox += step == 3;
        toRemote += step == 2 && !local;
    }
    EXPECT_GE(toMailbox, 3);
    EXPECT_GE(toRemote, 3);
}

TEST_F(SimServer, LeavesAFolderItDidNotMakeAloneUnlessForced) {
    fs::create_directories(prefix_);
    fs::copy_file(QV_TEST_DATA_DIR "/wine-8.0-system.reg", prefix_ + "/system.reg");
    const Files before = OnDisk();
    EXPECT_EQ(Sim("--lines 3 --rate 0"), 3);
    EXPECT_EQ(OnDisk(), before);
    // An option last without its value, one it does not know, a second folder: mistakes.
    for (const char* option :
         {"--rate", "--lines", "--seed", "--start-at", "--journal", "--bogus", "second"}) {
        const std::string line = QV_SIMSERVER " '" + prefix_ + "' " + option + " 2>/dev/null";
        EXPECT_EQ(WEXITSTATUS(std::system(line.c_str())), 2) << option;
    }

    // Forced, it writes where that prefix's settings say (WineRegistry reads
    // them) and nowhere else: LS's directory is empty and POP's a number, so
    // five components get a log.
    ASSERT_EQ(Sim("--force --lines 3 --rate 0 --start-at '2002-08-21 12:00:00'"), 0);
    Files expected = Journaled();
    EXPECT_EQ(expected.size(), 5u);
    expected.insert(before.begin(), before.end());
    EXPECT_EQ(OnDisk(), expected);
}

// Stopped once it has written 50 lines, maybe in the middle of one.
TEST_F(SimServer, StopsOnInterruptOrTerminateWithTheLastLineWhole) {
    for (const std::string sig : {"INT", "TERM"}) {
        const std::string until50 = "for i in $(seq 2000); do [ $(wc -l <'" + journal_ +
                                    "') -ge 50 ] && break; sleep 0.01; done 2>/dev/null";
        EXPECT_EQ(Sim("--rate 60", " & " + until50 + "; kill -" + sig + " $!; wait $!"), 0) << sig;
        EXPECT_GE(sim::ReadJournal(journal_).size(), 50u);
        // Nothing after the stop, nothing half written.
        EXPECT_EQ(OnDisk("/drive_c"), Journaled("/drive_c"));
        fs::remove_all(prefix_);
        fs::remove(journal_);
    }
}

}  // namespace
