#include <gtest/gtest.h>

#include <random>

#include "line_splitter.h"
#include "log_search.h"
#include "recording_follower.h"
#include "text_search.h"

using activity::ScanState;

namespace {

const activity::LocalDate kDay{2026, 12, 6};
const std::string kEmile = "\xC9mile Zo\xEB";  // "Émile Zoë" in code page 1252

struct Found {
    activity::LogSearchOutcome outcome;
    std::vector<Lines> lines;
    std::uint64_t done = 0, total = 0;
};

// Searches `components` (name, folder), cancelling at the first batch if asked.
Found Search(const std::string& text, std::vector<activity::ComponentFolder> components,
             std::size_t maxEntries = SIZE_MAX, std::size_t maxTextBytes = SIZE_MAX,
             bool cancelAtFirst = false) {
    Found found;
    found.lines.resize(components.size());
    std::atomic<bool> cancel = false;
    const activity::LogSearchRequest request{text, kDay, std::move(components), maxEntries,
                                             maxTextBytes};
    found.outcome = activity::SearchLogs(
        request, cancel,
        [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_GE(done, found.done);
            found.done = done;
            found.total = total;
        },
        [&](std::size_t c, const activity::EntryBatch& batch) {
            const Lines lines = ToLines(batch);
            found.lines[c].insert(found.lines[c].end(), lines.begin(), lines.end());
            if (cancelAtFirst) cancel = true;
        });
    return found;
}

// What the window's filter would list: every line decoded, then searched.
Lines Reference(const std::string& bytes, const std::string& text) {
    activity::EntryBatch all;
    bool afterCr = false;
    activity::SplitLines(bytes, true, afterCr, activity::SystemDecoder(), all);
    const activity::TextSearch search(text);
    Lines out;
    for (const std::string& line : ToLines(all)) {
        if (search.Find(line) != std::string::npos) out.push_back(line);
    }
    return out;
}

// Lines of every kind the splitter meets; at every 64 KiB boundary (so at
// every read's and slice's) a CRLF or a match straddles it, and a match spans
// the cut of a line over kMaxLineBytes.
std::string TrickyLog() {
    const std::string pieces[] = {"10:00:00 user42@mail.example.com ",
                                  kEmile,
                                  "\xE9MILE ZO\xCB",
                                  "x",
                                  "\r\n",
                                  "\r",
                                  "\n",
                                  "caf\xE9 \x80\x81",
                                  std::string(1, '\0'),
                                  "\xC9mile\r\nZo\xEB",
                                  "short\r\n"};
    std::mt19937 rng(11);
    std::string s;
    for (std::size_t at = 1 << 16; at <= (std::size_t{5} << 20); at += 1 << 16) {
        while (s.size() + 40 < at) s += pieces[rng() % std::size(pieces)];
        const bool crlf = (at >> 16) % 2 == 0;
        s.resize(at - (crlf ? 1 : 1 + rng() % 8), 'p');
        s += crlf ? "\r\n" : kEmile + " USER42@MAIL\r";
    }
    return s + Rep("p", activity::kMaxLineBytes - 4) + kEmile + "\r\nunfinished " + kEmile;
}

}  // namespace

// A day's logs of four components: that day's file only, in code page 1252,
// and why each of the others has none.
TEST(LogSearch, SearchesThatDaysLogOfEachComponent) {
    SmtpServer server;
    AppendBytes(server.Day("261206"), "\xC9MILE ZO\xCB in caps\r\n\xC9mile\r\nZo\xEB split\r\n" +
                                          kEmile + " one\rshort " + kEmile + "\r\n");
    AppendBytes(server.Day("261207"), kEmile + " the next day\r\n");
    AppendBytes(server.Day("261106"), kEmile + " a month before\r\n");
    const std::string dir = server.WindowsLogDir();
    const Found found =
        Search("émile zoë", {{"SMTP", dir}, {"POP", dir + "\\missing"}, {"LS", dir}, {"MTA", ""}});
    EXPECT_EQ(found.lines[0], (Lines{"ÉMILE ZOË in caps", "Émile Zoë one", "short Émile Zoë"}));
    const ScanState want[] = {ScanState::Following, ScanState::FolderMissing,
                              ScanState::FileMissing, ScanState::NoSetting};
    ASSERT_EQ(found.outcome.components.size(), 4u);
    for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(found.outcome.components[c].state, want[c]);
    EXPECT_EQ(found.outcome.components[2].file, dir + "\\LS-Debug-261206.log");
    EXPECT_FALSE(found.outcome.capped || found.outcome.cancelled);
    EXPECT_EQ(found.done, FileSize(server.Day("261206")));
    EXPECT_EQ(Search("", {{"SMTP", dir}}).lines[0], Lines{});
}

// Two large logs, searched side by side: each lists what decoding every line
// and then searching it lists, whatever the text; then the caps and Cancel.
TEST(LogSearch, ListsWhatDecodingEveryLineFindsThenStopsAtCapsAndCancel) {
    SmtpServer server;
    const std::string smtp = TrickyLog();
    const std::string pop = smtp.substr(12345) + "\rlast line USER42@MAIL";
    AppendBytes(server.Day(), smtp);
    AppendBytes(server.LocalLogDir() / "POP-Debug-261206.log", pop);
    const std::string dir = server.WindowsLogDir();
    const std::vector<activity::ComponentFolder> both = {{"SMTP", dir}, {"POP", dir}};
    for (const std::string text : {"émile zoë", "user42@mail", "x", "€", "\n", "ë\r", "mile\nZ",
                                   "\xEF\xBF\xBD", "\xE2\x90\x80", "CAFÉ", "Ω"}) {
        const Found found = Search(text, both);
        EXPECT_EQ(found.lines[0], Reference(smtp, text)) << text;
        EXPECT_EQ(found.lines[1], Reference(pop, text)) << text;
        EXPECT_EQ(found.done, smtp.size() + pop.size());
        EXPECT_EQ(found.total, smtp.size() + pop.size());
    }

    const Lines all = Reference(smtp, "user42");
    ASSERT_GT(all.size(), 100u);
    const Found ten = Search("user42", {{"SMTP", dir}}, 10);
    EXPECT_TRUE(ten.outcome.capped);
    EXPECT_EQ(ten.lines[0], Lines(all.begin(), all.begin() + 10));
    const Found text = Search("user42", {{"SMTP", dir}}, SIZE_MAX, 1000);
    std::size_t bytes = 0;
    for (const std::string& line : text.lines[0]) bytes += line.size();
    EXPECT_TRUE(text.outcome.capped);
    EXPECT_GE(bytes, 1000u);
    EXPECT_LT(bytes - text.lines[0].back().size(), 1000u);
    EXPECT_EQ(text.lines[0], Lines(all.begin(), all.begin() + text.lines[0].size()));
    // Both at once: each component's lines are the first of its own.
    const Found shared = Search("user42", both, 50);
    EXPECT_EQ(shared.lines[0].size() + shared.lines[1].size(), 50u);
    EXPECT_EQ(shared.lines[0], Lines(all.begin(), all.begin() + shared.lines[0].size()));

    const Found cancelled = Search("user42", both, SIZE_MAX, SIZE_MAX, true);
    EXPECT_TRUE(cancelled.outcome.cancelled);
    EXPECT_FALSE(cancelled.outcome.capped);
    EXPECT_LT(cancelled.done, smtp.size() + pop.size());
}

// By Time: a line without a time stays after the line before it in its log.
TEST(LogSearch, MergesByTimeOfDay) {
    using activity::LeadingTimeOfDay;
    EXPECT_EQ(LeadingTimeOfDay("00:00:00"), 0);
    EXPECT_EQ(LeadingTimeOfDay("23:59:59.999 x"), 86399);
    EXPECT_EQ(LeadingTimeOfDay("12:34:56 <user>"), 45296);
    for (const char* no : {"", "1:23:45 x", "24:00:00", "12:60:00", "12:00:60", "12-00-00",
                           " 12:00:00", "12:00:001", "2026-12-06 12:00:00", "ab:cd:ef"}) {
        EXPECT_EQ(LeadingTimeOfDay(no), -1) << no;
    }
    // Component 0: a line before any time, 10, a line with none (so 10), 30.
    // Component 1: 10 (after 0's on a tie), 20, 5 (out of order: kept in place).
    const std::vector<std::vector<int>> times = {{-1, 10, -1, 30}, {10, 20, 5}, {}};
    using P = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(activity::MergeByTime(times),
              (std::vector<P>{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {0, 3}}));
}
