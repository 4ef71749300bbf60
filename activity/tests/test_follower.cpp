#include <gtest/gtest.h>

#include <random>

#include "line_splitter.h"
#include "recording_follower.h"

namespace fs = std::filesystem;

// One file through its life, a scan after each step: it appears, grows in
// pieces (a CR's LF coming with the next write), is cut, replaced, rolled
// over at midnight (yesterday's unterminated tail first, in one batch with
// the new day's lines), and the next day's file appears late.
TEST(Follower, FollowsAGrowingFileThroughItsLife) {
    SmtpServer server;
    RecordingFollower f;
    f.Initialise();
    EXPECT_EQ(f.GetActiveFileName(), server.WindowsLogDir() + "\\SMTP-Activity-261206.log");
    // Day, what happens ('a'ppended, 't'runcated first, 'r'eplaced by a new
    // file), bytes, entries listed, bytes left unread.
    const std::tuple<int, char, std::string, Lines, std::int64_t> steps[] = {
        {6, 'a', "", {}, 0},
        {6, 'a', "first line, caf\xE9\r\nshort\r\n\r\n", {"first line, café"}, 0},
        {6, 'a', "", {}, 0},
        {6, 'a', "a line written in ", {}, 18},
        {6, 'a', "two writes\r", {"a line written in two writes"}, 0},
        {6, 'a', "\ncut CRLF line\r\none\nlone LF\r\n", {"cut CRLF line", "one\nlone LF"}, 0},
        {6, 't', "after truncation\r\n", {"after truncation"}, 0},
        {6, 'r', "replaced one\r\nreplaced two\r\n", {"replaced one", "replaced two"}, 0},
        {6, 'a', "before midnight\r\nunterminated tail", {"before midnight"}, 17},
        {7, 'a', "next day's first\r\n", {"unterminated tail", "next day's first"}, 0},
        {8, 'a', "", {}, 0},
        {8, 'a', "third day begins\r\n", {"third day begins"}, 0},
    };
    for (const auto& [day, how, bytes, want, left] : steps) {
        const fs::path file = server.Day("26120" + std::to_string(day));
        if (how == 't') fs::resize_file(file, 0);
        if (!bytes.empty()) AppendBytes(how == 'r' ? server.LocalLogDir() / "new" : file, bytes);
        if (how == 'r') fs::rename(server.LocalLogDir() / "new", file);
        f.today = {2026, 12, day};
        const int batches = f.batches;
        EXPECT_EQ(f.Scan(), want) << bytes;  // in the prefix's code page
        EXPECT_EQ(f.ReadPosition(), FileSize(file) - left) << bytes;
        EXPECT_EQ(f.GetLastActivity(), FileSize(file));
        EXPECT_EQ(f.batches, batches + !want.empty());
        // Only a cut or a replacement is news; a new day's file is not.
        using activity::Restart;
        EXPECT_EQ(f.LastScan().restart, how == 't'   ? Restart::Truncated
                                        : how == 'r' ? Restart::Replaced
                                                     : Restart::None);
    }
}

// A live start skips to after the last whole line (a CR's LF may come
// later); with history, or for a file that appears with a new day, every line
// is listed from the first byte, and slices list what one scan would.
TEST(Follower, StartsAfterTheLastWholeLineOrListsHistoryInSlices) {
    SmtpServer server;
    const fs::path day = server.Day();
    std::mt19937 rng(7);
    std::string content;
    Lines want;
    while (content.size() < 3'000'000) {
        want.push_back("2026-12-06 10:00:00 line " + std::to_string(rng()) +
                       std::string(rng() % 200, 'p'));
        content += want.back() + (rng() % 2 ? "\r\n" : "\r");
    }
    const std::size_t max = activity::kMaxLineBytes;
    want.insert(want.end(), {Rep("L", max), Rep("L", max), Rep("L", 150000 - 2 * max)});
    AppendBytes(day, content + Rep("L", 150000) + "\r\na line being wri");

    RecordingFollower live, history, sliced;
    live.Initialise();
    history.SetLoadHistoricData(true);
    history.Initialise();
    history.ScanFile();
    sliced.today = {2026, 12, 5};
    sliced.Initialise();
    sliced.today = {2026, 12, 6};
    int slices = 0;
    while (sliced.ScanSlice(200000)) ++slices;
    EXPECT_GT(slices, 10);
    for (auto* f : {&history, &sliced}) EXPECT_EQ(f->entries, want);
    for (auto* f : {&live, &history, &sliced}) EXPECT_EQ(f->ReadPosition(), FileSize(day) - 16);

    AppendBytes(day, "tten at start\r\nnew line\r\nand one more new line\r");
    EXPECT_EQ(live.Scan(), (Lines{"a line being written at start", "and one more new line"}));
    RecordingFollower crEnd;
    crEnd.Initialise();
    EXPECT_EQ(crEnd.ReadPosition(), FileSize(day));
    AppendBytes(day, "\nline after the pending LF\r\n");
    EXPECT_EQ(crEnd.Scan(), Lines{"line after the pending LF"});
}
