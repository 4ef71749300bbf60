#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "case_fold.h"
#include "text_search.h"
#include "utf.h"

using activity::TextSearch;

// Against the plain way (fold both sides, then find) on random texts made of
// letters whose case forms differ in one byte, in two, or not at all, so that
// the byte sets alone would be fooled, and of near-repeats that trip a wrong shift.
TEST(TextSearch, FindsWhatFoldingBothSidesFinds) {
    const char* pieces[] = {"a", "A", "b", "ab", "é", "É", "ø",  "ÿ",  "Ÿ",  "ſ", "π",
                            "Π", "р", "Р", "Ѐ",  "€", "😀", "Ａ", "ａ", "\n", " "};
    std::mt19937 random(5);
    const auto make = [&](std::size_t pieceCount) {
        std::string text;
        for (std::size_t i = 0; i < pieceCount; ++i) text += pieces[random() % std::size(pieces)];
        return text;
    };
    // Every width of vectors this processor has, down to SSE2.
    for (int round = 0; round < 6000; ++round) {
        activity::LimitVectorLevel(2 - round / 2000);
        const std::string needle = make(1 + random() % 3);
        // Some long enough for the widest loops (128 places a turn).
        const std::string text = make(random() % (round % 8 == 0 ? 400 : 40));
        const TextSearch search(needle);
        const std::size_t at = search.Find(text);
        const std::u16string folded = activity::FoldedUtf16(text);
        const std::u16string foldedNeedle = activity::FoldedUtf16(needle);
        const bool expected = folded.find(foldedNeedle) != std::u16string::npos;
        ASSERT_EQ(at != std::string::npos, expected) << needle << " in " << text;
        if (expected) {
            ASSERT_EQ(activity::FoldedUtf16(text.substr(at, search.size())), foldedNeedle)
                << needle << " in " << text;
            ASSERT_EQ(folded.find(foldedNeedle), activity::FoldedUtf16(text.substr(0, at)).size());
        }
    }
    activity::LimitVectorLevel(2);
    // Case forms written out, not folded by the code under test.
    const std::pair<const char*, const char*> kCases[] = {
        {"É", "é"}, {"Ā", "ā"}, {"Ĺ", "ĺ"}, {"Ŋ", "ŋ"},   {"Ź", "ź"},   {"Ÿ", "ÿ"}, {"Ά", "ά"},
        {"Έ", "έ"}, {"Ό", "ό"}, {"Ύ", "ύ"}, {"Ώ", "ώ"},   {"Σ", "σ"},   {"Ѐ", "ѐ"}, {"А", "а"},
        {"Я", "я"}, {"Ѡ", "ѡ"}, {"Ӑ", "ӑ"}, {"Ａ", "ａ"}, {"Ｚ", "ｚ"},
    };
    for (const auto& [capital, small] : kCases) {
        EXPECT_EQ(TextSearch(capital).Find(std::string("x") + small), 1u) << capital;
        EXPECT_EQ(TextSearch(small).Find(std::string("x") + capital), 1u) << small;
    }
    EXPECT_EQ(TextSearch("").Find("abc", 2), 2u);
    EXPECT_EQ(TextSearch("Caf").Find("xcafé CAFÉ", 2), 7u);
    // Past U+FFFF as a surrogate pair, both ways.
    EXPECT_EQ(activity::Utf8ToUtf16("a😀é"), u"a😀é");
    EXPECT_EQ(activity::Utf16ToUtf8(u"a😀é"), "a😀é");
}
