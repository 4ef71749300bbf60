#include <gtest/gtest.h>

#include <random>

#include "earlier_lines.h"
#include "recording_follower.h"

namespace fs = std::filesystem;

namespace {

// Every earlier line of the follower's listing, the slices put in file order.
Lines ReadEarlier(const activity::ActivityFollower& f, std::size_t budget,
                  activity::EarlierLines::End* end = nullptr) {
    activity::EarlierLines earlier(f.Listing());
    activity::EntryBatch batch;
    std::vector<Lines> slices;
    while (earlier.ReadSlice(budget, batch)) slices.insert(slices.begin(), ToLines(batch));
    if (end) *end = earlier.Ended();
    EXPECT_TRUE(earlier.Position() == 0 || earlier.Ended() == activity::EarlierLines::End::Changed);
    Lines all;
    for (const Lines& slice : slices) all.insert(all.end(), slice.begin(), slice.end());
    return all;
}

}  // namespace

// Read backwards in slices of any size, the earlier lines are what one scan of
// the file would list up to the start: CRLFs and long lines cut anywhere, and
// the line being written at the start listed once, whole, by the follower.
// After a Clear the earlier lines are all up to where reading is.
TEST(EarlierLines, ListsWhatAScanWouldUpToTheStartOnce) {
    SmtpServer server;
    const fs::path day = server.Day();
    std::mt19937 rng(11);
    std::string content;
    while (content.size() < 600'000) {
        const auto pick = rng() % 40;
        content += pick == 0 ? "short"  // not listed
                             : "10:00:0" + std::to_string(rng() % 10) + " caf\xE9 line " +
                                   std::to_string(rng()) + (pick == 1 ? "\nwith a lone LF" : "") +
                                   std::string(pick == 2 ? 70'000 : rng() % 150, 'p');
        content += rng() % 2 ? "\r\n" : "\r";
    }
    AppendBytes(day, content + "a line being wri");

    RecordingFollower f;
    f.Initialise();
    EXPECT_EQ(f.Listing().offset, static_cast<std::int64_t>(content.size()));
    RecordingFollower whole;
    whole.SetLoadHistoricData(true);
    whole.Initialise();
    whole.ScanFile();  // all but the unfinished line, which the live start lists later
    for (const std::size_t budget :
         {std::size_t{1}, std::size_t{70'001}, std::size_t{99'999}, std::size_t{1} << 20}) {
        EXPECT_EQ(ReadEarlier(f, budget), whole.entries) << budget;
    }
    AppendBytes(day, "tten at start\r\nthe next line\r");
    EXPECT_EQ(f.Scan(), (Lines{"a line being written at start", "the next line"}));

    f.ListFromHere();  // a Clear
    AppendBytes(day, "\nafter the clear\r\n");
    EXPECT_EQ(f.Scan(), Lines{"after the clear"});
    Lines upToClear = whole.entries;
    upToClear.insert(upToClear.end(), {"a line being written at start", "the next line"});
    EXPECT_EQ(ReadEarlier(f, 200'000), upToClear);
}

// Nothing earlier is listed from a file that is no longer the one listed, and
// a restart, a new day or a file that appears later starts the listing at the
// first byte, where nothing is earlier.
TEST(EarlierLines, NoneFromAnotherFileAndNoneBeforeAStartAnew) {
    using End = activity::EarlierLines::End;
    SmtpServer server;
    RecordingFollower f;
    f.Initialise();  // no file yet
    AppendBytes(server.Day(), "first of the day\r\n");
    EXPECT_EQ(f.Scan(), Lines{"first of the day"});
    End end{};
    EXPECT_EQ(ReadEarlier(f, 1, &end), Lines{});
    EXPECT_EQ(end, End::Start);

    AppendBytes(server.Day(), "second of the day\r\n");
    RecordingFollower g;
    g.Initialise();
    const std::uint64_t generation = g.Listing().generation;
    EXPECT_EQ(ReadEarlier(g, 1), (Lines{"first of the day", "second of the day"}));
    fs::resize_file(server.Day(), 10);  // cut below the start, not scanned yet
    EXPECT_EQ(ReadEarlier(g, 1, &end), Lines{});
    EXPECT_EQ(end, End::Changed);
    AppendBytes(server.LocalLogDir() / "new", "replacement line one\r\n");
    fs::rename(server.LocalLogDir() / "new", server.Day());
    EXPECT_EQ(ReadEarlier(g, 1, &end), Lines{});
    EXPECT_EQ(end, End::Changed);
    EXPECT_EQ(g.Scan(), Lines{"replacement line one"});
    EXPECT_GT(g.Listing().generation, generation);
    EXPECT_EQ(ReadEarlier(g, 1), Lines{});

    AppendBytes(server.Day(), "last line of the sixth\r\n");
    AppendBytes(server.Day("261207"), "first line of the seventh\r\n");
    g.today = {2026, 12, 7};
    EXPECT_EQ(g.Scan(), (Lines{"last line of the sixth", "first line of the seventh"}));
    EXPECT_EQ(g.Listing().file, g.GetActiveFileName());
    EXPECT_EQ(ReadEarlier(g, 1), Lines{});
}
