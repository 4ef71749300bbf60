// What the fuzz properties (fuzz/fuzz_lines.cpp, replayed by ctest) cannot
// state: the terminators, the threshold in characters after decoding, the
// text of each code page, and where an overlong line is cut.
#include <gtest/gtest.h>

#include "code_page.h"
#include "line_splitter.h"
#include "recording_follower.h"

using namespace activity;
using namespace std::string_literals;

TEST(Splitter, SplitsDecodesAndCutsAsTheTableSays) {
    const CodePageDecoder cp1252(OpenCodePage(1252)), cp932(OpenCodePage(932));
    const CodePageDecoder utf8(OpenCodePage(65001)), unknown(OpenCodePage(424242));
    EXPECT_FALSE(OpenCodePage(12345));
    // The entries, and the bytes left for the next call.
    const auto split = [](const CodePageDecoder& decoder, const std::string& data, bool flush) {
        EntryBatch batch;
        bool afterCr = false;
        const std::size_t used = SplitLines(data, flush, afterCr, decoder, batch);
        return std::pair(ToLines(batch), data.size() - used);
    };
    const std::string text =
        "first line of text\r\nsecond line here\rthird one with\na lone LF\r\r\nshort\r\n"
        "\r\nunterminated tail";
    Lines lines{"first line of text", "second line here", "third one with\na lone LF"};
    EXPECT_EQ(split(cp1252, text, false), std::pair(lines, std::size_t{17}));
    lines.push_back("unterminated tail");
    EXPECT_EQ(split(cp1252, text, true), std::pair(lines, std::size_t{0}));

    const std::size_t max = kMaxLineBytes;
    const std::string x = Rep("x", max), cjk = Rep("禂", max / 3), nul = "\u2400", bad = "\uFFFD";
#ifdef _WIN32
    // Windows' own table gives the five bytes 1252 leaves undefined C1 controls.
    const std::string undefined1252 = "\u0081\u008D\u008F\u0090\u009D";
#else
    const std::string undefined1252 = Rep(bad, 5);
#endif
    const std::string kana = "k" + Rep("\x82\xA0", 50000);
    const std::tuple<const CodePageDecoder*, std::string, Lines, std::size_t> rows[] = {
        // 10 characters are dropped, 11 listed, whatever their bytes.
        {&cp1252, "0123456789\r0123456789A\r" + Rep("\0"s, 10) + "\r", {"0123456789A"}, 0},
        {&utf8, Rep("é", 10) + "\r" + Rep("é", 11) + "\r", {Rep("é", 11)}, 0},
        {&cp932, Rep("\x82\xA0", 6) + "\r", {}, 0},
        // Nothing is lost: a NUL shows, even a hole of them, and bytes a code
        // page lacks are U+FFFD.
        {&cp1252,
         Rep("\0"s, 100000) + "after\r",
         {Rep(nul, max), Rep(nul, 100000 - max) + "after"},
         0},
        {&cp1252,
         "lacks \x81\x8D\x8F\x90\x9D, \x80 caf\xE9\r",
         {"lacks " + undefined1252 + ", € café"},
         0},
        {&cp932,
         "kana \x82\xA0 here\rlead at end \x82\r",
         {"kana あ here", "lead at end " + bad},
         0},
        {&cp932, "bad pair \x82 here\r", {"bad pair " + bad + " here"}, 0},
        {&cp932, "a\x82\xA0\xB1 \x82\x20 single\r", {"aあｱ " + bad + "  single"}, 0},
        {&utf8, "bad \xC3( and \xFF end\r", {"bad " + bad + "( and " + bad + " end"}, 0},
        {&unknown, "ascii only \xE9\x82\xA0\0\r"s, {"ascii only " + Rep(bad, 3) + nul}, 0},
        // Overlong lines in pieces of kMaxLineBytes, cut between characters,
        // whether or not the last byte of the one across the limit has come.
        {&cp1252, Rep("x", 200000) + "\r\n", {x, x, x, Rep("x", 200000 - 3 * max)}, 0},
        {&cp932, kana + "\r", {"k" + Rep("あ", max / 2 - 1), Rep("あ", 50001 - max / 2)}, 0},
        {&utf8, cjk + "\xE7\xA6", {cjk}, 2},
        {&utf8, cjk + "\xE7\xA6\x82 and the rest\r", {cjk, "禂 and the rest"}, 0},
    };
    for (const auto& [decoder, data, want, rest] : rows) {
        EXPECT_EQ(split(*decoder, data, false), std::pair(want, rest)) << data.substr(0, 40);
    }
    // Only the LF that completes a CR ending the call before is not text.
    bool afterCr = true;
    EntryBatch batch;
    for (const char* data :
         {"\nline after a CR\r\n", "\nlone LF at the start\r", "\nlast line here\r"}) {
        SplitLines(data, false, afterCr, cp1252, batch);
    }
    EXPECT_EQ(ToLines(batch),
              (Lines{"line after a CR", "\nlone LF at the start", "last line here"}));
    // Where the line after the last terminator starts (a CR's LF may be to come).
    const std::pair<const char*, std::size_t> starts[] = {{"no end", std::string::npos},
                                                          {"a\rpart", 2},
                                                          {"a\r\npart", 3},
                                                          {"a\r", 2},
                                                          {"\r\n\r\nx\ny", 4}};
    for (const auto& [tail, start] : starts) EXPECT_EQ(NextLineStart(tail), start) << tail;
}
