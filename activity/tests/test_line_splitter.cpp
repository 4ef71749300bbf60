#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "code_page.h"
#include "line_splitter.h"

using namespace activity;
using namespace std::string_literals;

namespace {

struct Split {
    std::vector<std::string> entries;
    std::size_t consumed = 0;
    bool afterCr = false;
};

Split WholePass(const CodePageDecoder& dec, std::string_view data, bool flush) {
    Split s;
    EntryBatch batch;
    s.consumed = SplitLines(data, flush, s.afterCr, dec, batch);
    s.entries = batch.ToStrings();
    return s;
}

// Feeds `data` in random chunks the way the follower does: the unconsumed
// rest is handed again with the next chunk.
Split Chunked(const CodePageDecoder& dec, std::string_view data, bool flush, std::mt19937& rng) {
    Split s;
    EntryBatch batch;
    std::size_t start = 0;
    std::size_t fed = 0;
    while (fed < data.size()) {
        fed = std::min(data.size(), fed + 1 + rng() % 3000);
        start += SplitLines(data.substr(start, fed - start), flush && fed == data.size(), s.afterCr,
                            dec, batch);
        // Sometimes a whole new scan: the state comes back from the byte before.
        if (rng() % 4 == 0) s.afterCr = start > 0 && data[start - 1] == '\r';
    }
    s.consumed = start;
    s.entries = batch.ToStrings();
    return s;
}

std::string RandomLog(std::mt19937& rng, std::size_t size) {
    static const char alphabet[] = {'a',    'b',    ' ',    '\r',   '\n',   '\0',   '\x81',
                                    '\x82', '\xA0', '\xE9', '\xC3', '\xA9', '\xFF', '\xE3'};
    std::string out;
    while (out.size() < size) {
        if (rng() % 200 == 0) {
            out.append(70000 + rng() % 80000, static_cast<char>("a\x82\xA0"[rng() % 3]));
            continue;
        }
        const std::size_t len = rng() % 40;
        for (std::size_t i = 0; i < len; ++i)
            out += rng() % 3 ? alphabet[rng() % 3] : alphabet[rng() % sizeof alphabet];
        out += rng() % 2 ? "\r\n" : "\r";
    }
    return out;
}

class SplitterTest : public ::testing::Test {
  protected:
    CodePageDecoder cp1252_{OpenCodePage(1252)};
    CodePageDecoder cp932_{OpenCodePage(932)};
    CodePageDecoder utf8_{OpenCodePage(65001)};
};

}  // namespace

TEST_F(SplitterTest, TerminatorsAndTails) {
    const std::string data =
        "first line of text\r\nsecond line here\rthird one with\na lone LF\r\r\nshort\r\n"
        "\r\nunterminated tail";
    const Split s = WholePass(cp1252_, data, false);
    EXPECT_EQ(s.entries, (std::vector<std::string>{"first line of text", "second line here",
                                                   "third one with\na lone LF"}));
    EXPECT_EQ(s.consumed, data.size() - std::string("unterminated tail").size());

    const Split flushed = WholePass(cp1252_, data, true);
    EXPECT_EQ(flushed.entries.back(), "unterminated tail");
    EXPECT_EQ(flushed.consumed, data.size());

    // A CR at the end of the data ends its line; the LF that follows later
    // belongs to it.
    Split cr = WholePass(cp1252_, "line ending in CR\r", false);
    EXPECT_EQ(cr.entries.size(), 1u);
    EXPECT_TRUE(cr.afterCr);
    EntryBatch batch;
    EXPECT_EQ(SplitLines("\nnext line after it\r", false, cr.afterCr, cp1252_, batch), 20u);
    EXPECT_EQ(batch.ToStrings(), std::vector<std::string>{"next line after it"});
}

TEST_F(SplitterTest, ShortLinesCountCharactersAfterDecoding) {
    // 10 characters are dropped, 11 are listed, whatever their byte count.
    EXPECT_TRUE(WholePass(cp1252_, "0123456789\r", false).entries.empty());
    EXPECT_EQ(WholePass(cp1252_, "0123456789A\r", false).entries.size(), 1u);
    EXPECT_EQ(WholePass(cp1252_, "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\r", false).entries,
              std::vector<std::string>{"ééééééééééé"});
    EXPECT_TRUE(WholePass(utf8_, "éééééééééé\r", false).entries.empty());  // 20 bytes
    EXPECT_EQ(WholePass(utf8_, "ééééééééééé\r", false).entries.size(), 1u);
    // Two-byte characters: 12 bytes, 6 characters.
    EXPECT_TRUE(WholePass(cp932_, "\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\r", false)
                    .entries.empty());
}

TEST_F(SplitterTest, DecodesToUtf8AndDropsNothing) {
    EXPECT_EQ(WholePass(cp1252_, "price \x80 5, caf\xE9 ok\r", false).entries,
              std::vector<std::string>{"price € 5, café ok"});
    EXPECT_EQ(WholePass(cp932_, "kana \x82\xA0 here ok\r", false).entries,
              std::vector<std::string>{"kana あ here ok"});
    // A NUL shows, invalid bytes become U+FFFD, and the line goes on.
    EXPECT_EQ(WholePass(utf8_, "nul\0here, bad \xC3( and \xFF end\r"s, false).entries,
              std::vector<std::string>{"nul\u2400here, bad \uFFFD( and \uFFFD end"});
    EXPECT_EQ(WholePass(cp932_, "lead at end \x82\r", false).entries,
              std::vector<std::string>{"lead at end \uFFFD"});
}

TEST_F(SplitterTest, OverlongLinesComeInPiecesCutBetweenCharacters) {
    const std::string longLine(200000, 'x');
    const Split s = WholePass(cp1252_, longLine + "\r\n", false);
    ASSERT_EQ(s.entries.size(), 4u);
    EXPECT_EQ(s.entries[0].size(), kMaxLineBytes);
    EXPECT_EQ(s.entries[3].size(), 200000 - 3 * kMaxLineBytes);
    // Without a terminator the pieces are still listed; the short rest waits.
    const Split open = WholePass(cp1252_, longLine, false);
    EXPECT_EQ(open.entries.size(), 3u);
    EXPECT_EQ(open.consumed, 3 * kMaxLineBytes);
    // A line of exactly the limit is whole.
    EXPECT_EQ(WholePass(cp1252_, std::string(kMaxLineBytes, 'y') + "\r", false).entries.size(), 1u);

    std::string kana = "k";
    for (int i = 0; i < 50000; ++i) kana += "\x82\xA0";
    for (const Split& k : {WholePass(cp932_, kana + "\r", false), WholePass(cp932_, kana, true)}) {
        std::string joined;
        for (const auto& e : k.entries) {
            EXPECT_EQ(e.find("\uFFFD"), std::string::npos);
            joined += e;
        }
        EXPECT_EQ(joined.size(), 1 + 50000 * 3u);
    }
    // A character across the limit whose last byte has not come yet is cut
    // before, as it is once the byte has come.
    std::string cjk;
    for (std::size_t i = 0; i < kMaxLineBytes / 3; ++i) cjk += "禂";
    for (const std::string& rest : {"\xE7\xA6"s, "\xE7\xA6\x82 and the rest\r"s}) {
        const Split piece = WholePass(utf8_, cjk + rest, false);
        ASSERT_FALSE(piece.entries.empty());
        EXPECT_EQ(piece.entries[0].size(), cjk.size());
        EXPECT_TRUE(piece.entries[0] == cjk);  // whole characters, no U+FFFD
        EXPECT_EQ(piece.consumed, rest.size() == 2 ? cjk.size() : cjk.size() + rest.size());
    }
    std::string utf = "u";
    for (int i = 0; i < 40000; ++i) utf += "é";
    for (const auto& e : WholePass(utf8_, utf + "\r", false).entries)
        EXPECT_EQ(e.find("\uFFFD"), std::string::npos);
}

TEST_F(SplitterTest, AnyChunkingGivesTheSameEntries) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 12; ++round) {
        const std::string data = RandomLog(rng, 300000);
        for (const CodePageDecoder* dec : {&cp1252_, &cp932_, &utf8_}) {
            for (bool flush : {false, true}) {
                const Split whole = WholePass(*dec, data, flush);
                const Split chunked = Chunked(*dec, data, flush, rng);
                ASSERT_EQ(whole.consumed, chunked.consumed) << "round " << round;
                ASSERT_EQ(whole.entries, chunked.entries) << "round " << round;
            }
        }
    }
}
