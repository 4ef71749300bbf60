#include <gtest/gtest.h>

#include <random>

#include "follower_fixture.h"

namespace fs = std::filesystem;

class FollowerTest : public ::testing::Test {
  protected:
    void SetUp() override { server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir()); }

    fs::path DayFile(const char* stamp) const {
        return server.LocalLogDir() / (std::string("SMTP-Activity-") + stamp + ".log");
    }

    TestServer server;
};

TEST_F(FollowerTest, FindsTheDirectoryOfEachBranch) {
    server.SetDirectory("Connectors\\", "C:\\popc");
    server.SetDirectory("Services\\", "C:\\services root");
    server.SetDirectory("Services\\HTTPMAIL", "C:\\http");
    server.SetDirectory("Agents\\MTA", "C:\\mta\\");
    server.SetDirectory("Connectors\\MTA", "C:\\wrong");
    const struct {
        const char* name;
        int type;
        const char* dir;
    } rows[] = {
        {"SMTP", 0, ""},  // set in SetUp, checked below
        {"HTTPMAIL", 1, "C:\\http"},
        {"MTA", 3, "C:\\mta\\"},
        {"MTA", 2, "C:\\mta\\"},
        {"MTA", -1, "C:\\mta\\"},
        {"MTA", 0, "C:\\wrong"},
        {"POPC", 0, "C:\\popc"},
        {"POPC", 1, "C:\\services root"},
        {"LS", 0, ""},
    };
    for (const auto& row : rows) {
        RecordingFollower f(row.name, row.type);
        const std::string want = std::string(row.name) == "SMTP" ? server.WindowsLogDir() : row.dir;
        EXPECT_EQ(f.GetLoggingDirectory(), want) << row.name << " " << row.type;
    }
}

// One file through its life: appears, grows in pieces, is cut, replaced and
// rolled over at midnight. Entries and position are checked after each step.
TEST_F(FollowerTest, FollowsAGrowingFileThroughItsLife) {
    RecordingFollower f("SMTP", 0);
    const fs::path day1 = DayFile("261206");
    f.Initialise();
    EXPECT_EQ(f.LoggingDirectory(), server.WindowsLogDir());
    EXPECT_EQ(f.GetActiveFileName(), server.WindowsLogDir() + "\\SMTP-Activity-261206.log");
    EXPECT_EQ(f.ReadPosition(), 0);
    EXPECT_EQ(f.GetLastActivity(), 0);
    EXPECT_EQ(f.Scan(), Lines{});

    // A file that appears later is listed from its first line.
    AppendBytes(day1, "first line of the day\r\nshort\r\n\r\n");
    EXPECT_EQ(f.GetLastActivity(), FileSize(day1));
    EXPECT_EQ(f.Scan(), Lines{"first line of the day"});
    EXPECT_EQ(f.ReadPosition(), FileSize(day1));

    const int batches = f.batches;
    EXPECT_EQ(f.Scan(), Lines{});
    EXPECT_EQ(f.batches, batches);
    EXPECT_EQ(f.ReadPosition(), FileSize(day1));

    // A line written in pieces is listed once, whole.
    const std::int64_t lineStart = FileSize(day1);
    AppendBytes(day1, "a line written in ");
    EXPECT_EQ(f.Scan(), Lines{});
    EXPECT_EQ(f.ReadPosition(), lineStart);
    AppendBytes(day1, "three writes");
    EXPECT_EQ(f.Scan(), Lines{});
    AppendBytes(day1, "\r");
    EXPECT_EQ(f.Scan(), Lines{"a line written in three writes"});
    EXPECT_EQ(f.ReadPosition(), FileSize(day1));
    // The LF of that CR arrives with the next line.
    AppendBytes(day1, "\nnext line after a cut CRLF\r\none\nline with a lone LF\r\nx");
    EXPECT_EQ(f.Scan(), (Lines{"next line after a cut CRLF", "one\nline with a lone LF"}));
    EXPECT_EQ(f.ReadPosition(), FileSize(day1) - 1);
    AppendBytes(day1, "yz continues\r\n");
    EXPECT_EQ(f.Scan(), Lines{"xyz continues"});

    // Cut shorter: read again from the first byte.
    fs::resize_file(day1, 0);
    AppendBytes(day1, "after truncation\r\n");
    EXPECT_EQ(f.Scan(), Lines{"after truncation"});
    EXPECT_EQ(f.ReadPosition(), FileSize(day1));

    // Replaced by another, longer file: also from its first byte.
    {
        std::ofstream out(server.LocalLogDir() / "replacement", std::ios::binary);
        out << "replacement line one\r\nreplacement line two\r\nreplacement line three\r\n";
    }
    fs::rename(server.LocalLogDir() / "replacement", day1);
    EXPECT_EQ(f.Scan(),
              (Lines{"replacement line one", "replacement line two", "replacement line three"}));

    // Midnight: yesterday's last lines and its unterminated tail come first,
    // then the new day's file from its first byte, in one batch.
    AppendBytes(day1, "written just before midnight\r\nunterminated last words");
    const fs::path day2 = DayFile("261207");
    AppendBytes(day2, "first line of the next day\r\n");
    f.today = {2026, 12, 7};
    const int before = f.batches;
    EXPECT_EQ(f.Scan(), (Lines{"written just before midnight", "unterminated last words",
                               "first line of the next day"}));
    EXPECT_EQ(f.batches, before + 1);
    EXPECT_EQ(f.ReadPosition(), FileSize(day2));
    EXPECT_EQ(f.GetActiveFileName(), server.WindowsLogDir() + "\\SMTP-Activity-261207.log");

    // The next day's file does not exist yet: nothing, until it appears.
    f.today = {2026, 12, 8};
    EXPECT_EQ(f.Scan(), Lines{});
    const fs::path day3 = DayFile("261208");
    AppendBytes(day3, "third day begins here\r\n");
    EXPECT_EQ(f.Scan(), Lines{"third day begins here"});
    EXPECT_EQ(f.ReadPosition(), FileSize(day3));
}

TEST_F(FollowerTest, StartsAfterTheLastWholeLineOrAtTheBeginningWithHistory) {
    const fs::path day1 = DayFile("261206");
    AppendBytes(day1, "old line number one\r\nold line number two\r\na line being wri");
    RecordingFollower live("SMTP", 0);
    live.Initialise();
    EXPECT_EQ(live.ReadPosition(), FileSize(day1) - 16);
    AppendBytes(day1, "tten at start\r\nnew line\r\nand one more new line\r");
    EXPECT_EQ(live.Scan(), (Lines{"a line being written at start", "and one more new line"}));

    RecordingFollower crEnd("SMTP", 0);
    crEnd.Initialise();
    EXPECT_EQ(crEnd.ReadPosition(), FileSize(day1));
    AppendBytes(day1, "\nline after the pending LF\r\n");
    EXPECT_EQ(crEnd.Scan(), Lines{"line after the pending LF"});

    RecordingFollower history("SMTP", 0);
    history.LoadHistoricData = true;
    history.Initialise();
    EXPECT_EQ(history.entries,
              (Lines{"old line number one", "old line number two", "a line being written at start",
                     "and one more new line", "line after the pending LF"}));
    EXPECT_EQ(history.ReadPosition(), FileSize(day1));
}

TEST_F(FollowerTest, SlicesListWhatOneScanListsInOrder) {
    const fs::path day1 = DayFile("261206");
    std::mt19937 rng(7);
    std::string content;
    while (content.size() < 3'000'000) {
        content += "2026-12-06 10:00:00 line " + std::to_string(rng()) +
                   std::string(rng() % 200, 'p') + (rng() % 2 ? "\r\n" : "\r");
    }
    content += std::string(150000, 'L') + "\r\nend\r\n";
    AppendBytes(day1, content);

    RecordingFollower whole("SMTP", 0);
    whole.LoadHistoricData = true;
    whole.Initialise();

    // A follower whose file appears when the day changes reads it from its
    // first byte, in slices.
    RecordingFollower fresh("SMTP", 0);
    fresh.today = {2026, 12, 5};
    fresh.Initialise();
    fresh.today = {2026, 12, 6};
    int slices = 0;
    while (fresh.ScanSlice(200000)) ++slices;
    EXPECT_GT(slices, 10);
    EXPECT_EQ(fresh.entries, whole.entries);
    EXPECT_EQ(fresh.ReadPosition(), whole.ReadPosition());
    EXPECT_EQ(whole.ReadPosition(), FileSize(day1));
}
