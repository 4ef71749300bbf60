#include <gtest/gtest.h>

#include <random>

#include "case_fold.h"
#include "highlight_rules.h"
#include "utf.h"

using activity::AlertGate;
using activity::EntryBatch;
using activity::HighlightRule;
using activity::HighlightRules;
using Refusal = HighlightRules::Refusal;
using Mark = HighlightRules::Mark;

namespace {

std::vector<std::string> Texts(const HighlightRules& rules) {
    std::vector<std::string> texts;
    for (const HighlightRule& r : rules.Rules()) texts.push_back(r.text);
    return texts;
}

// The plain way, from the folded text, rule by rule.
int Expected(const std::vector<std::string>& rules, std::string_view entry) {
    const std::u16string folded = activity::FoldedUtf16(entry);
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (folded.find(activity::FoldedUtf16(rules[i])) != std::u16string::npos)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

TEST(HighlightRules, EditsKeepOrderAndRefuseWhatTheFilterWouldFindTheSame) {
    HighlightRules rules;
    struct Row {
        char op;  // a)dd, c)hange, r)emove, m)ove
        std::size_t index, to;
        std::string text;
        Refusal refusal;
        std::vector<std::string> after;
    };
    const std::string longest(HighlightRules::kMaxTextChars - 1, 'x');
    const std::string tooLong = longest + "éé";  // two bytes a letter, but counted as letters
    const Row rows[] = {
        {'a', 0, 0, "", Refusal::Empty, {}},
        {'a', 0, 0, "Error", Refusal::None, {"Error"}},
        {'a', 0, 0, "ERROR", Refusal::Duplicate, {"Error"}},
        {'a', 0, 0, "Ÿes", Refusal::None, {"Error", "Ÿes"}},
        {'a', 0, 0, "ÿES", Refusal::Duplicate, {"Error", "Ÿes"}},
        {'a', 0, 0, "Errors", Refusal::None, {"Error", "Ÿes", "Errors"}},
        {'a', 0, 0, tooLong, Refusal::TooLong, {"Error", "Ÿes", "Errors"}},
        {'a', 0, 0, longest + "é", Refusal::None, {"Error", "Ÿes", "Errors", longest + "é"}},
        {'r', 3, 0, "", Refusal::None, {"Error", "Ÿes", "Errors"}},
        {'c', 0, 0, "error", Refusal::None, {"error", "Ÿes", "Errors"}},  // its own text
        {'c', 0, 0, "errorS", Refusal::Duplicate, {"error", "Ÿes", "Errors"}},
        {'c', 1, 0, "", Refusal::Empty, {"error", "Ÿes", "Errors"}},
        {'m', 0, 2, "", Refusal::None, {"Ÿes", "Errors", "error"}},
        {'m', 2, 0, "", Refusal::None, {"error", "Ÿes", "Errors"}},
        {'m', 1, 1, "", Refusal::None, {"error", "Ÿes", "Errors"}},
        {'m', 0, 9, "", Refusal::None, {"error", "Ÿes", "Errors"}},
        {'r', 9, 0, "", Refusal::None, {"error", "Ÿes", "Errors"}},
        {'r', 0, 0, "", Refusal::None, {"Ÿes", "Errors"}},
    };
    std::uint64_t version = rules.Version();
    for (const Row& row : rows) {
        const std::vector<std::string> before = Texts(rules);
        Refusal got = Refusal::None;
        if (row.op == 'a') got = rules.Add({row.text, 2, true});
        if (row.op == 'c') got = rules.Change(row.index, {row.text, 3, false});
        if (row.op == 'r') rules.Remove(row.index);
        if (row.op == 'm') rules.Move(row.index, row.to);
        const std::string at = std::string(1, row.op) + " " + row.text.substr(0, 20);
        EXPECT_EQ(got, row.refusal) << at;
        EXPECT_EQ(Texts(rules), row.after) << at;
        // A view repaints on every edit, and only then.
        const bool edited = got == Refusal::None && (before != row.after || row.op == 'c');
        EXPECT_EQ(rules.Version() != version, edited) << at;
        version = rules.Version();
    }
    EXPECT_EQ(rules.Rules().back(), (HighlightRule{"Errors", 2, true}));
    // A colour past the palette is its nearest end.
    rules.Add({"warn", activity::kHighlightColours, false});
    rules.Change(0, {"Ÿes", -1, false});
    EXPECT_EQ(rules.Rules().back().colour, activity::kHighlightColours - 1);
    EXPECT_EQ(rules.Rules().front().colour, 0);
}

// Against the plain way on batches of letters whose case forms differ in one
// byte, in two, or not at all ("ø" is a mix of the bytes of "ÿ" and "Ÿ"),
// with matches that would run across two entries and entries long enough
// for the widest loops; past 8 rules, needles that share a bucket; past 16,
// a second set.
TEST(HighlightRules, ClassifyIsFirstMatchOfEachEntry) {
    const char* pieces[] = {"a", "B", "b", "é", "É", "ÿ", "Ÿ", "ø", "x", " "};
    std::mt19937 random(11);
    const auto make = [&](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
        return text;
    };
    // Every width of vectors this processor has, down to none.
    for (int round = 0; round < 1800; ++round) {
        activity::LimitVectorLevel(2 - round / 600);
        HighlightRules rules;
        const std::size_t ruleCount = round % 50 == 0 ? 20 : 1 + random() % 5;
        while (rules.Rules().size() < ruleCount) rules.Add({make(1 + random() % 3), 0, false});
        EntryBatch batch;
        const std::size_t entries = random() % 30;
        for (std::size_t i = 0; i < entries; ++i)
            batch.Append(make(random() % (round % 4 == 0 ? 150 : 6)));
        batch.OpenText() += Texts(rules).front();  // written, not closed: not an entry
        std::vector<int> classes = {7};            // appended to
        rules.Classify(batch, classes);
        ASSERT_EQ(classes.size(), batch.size() + 1);
        for (std::size_t i = 0; i < batch.size(); ++i) {
            ASSERT_EQ(classes[i + 1], rules.FirstMatch(batch[i])) << batch[i];
            ASSERT_EQ(classes[i + 1], Expected(Texts(rules), batch[i])) << batch[i];
        }
    }
    activity::LimitVectorLevel(2);
    HighlightRules rules;
    rules.Add({"ab", 0, false});
    EntryBatch seam;
    for (const char* entry : {"xa", "bx", "ab", "", "AB"}) seam.Append(entry);
    std::vector<int> classes;
    rules.Classify(seam, classes);
    EXPECT_EQ(classes, (std::vector<int>{-1, -1, 0, -1, 0}));
}

TEST(HighlightRules, MarksEveryOccurrenceWithoutOverlaps) {
    struct Row {
        std::vector<std::string> rules;
        std::string line, filter;
        std::vector<Mark> marks;
    };
    const int f = HighlightRules::kFilterMark;
    const Row rows[] = {
        // At the very start and end, every occurrence.
        {{"ab"}, "ABxaB", "", {{0, 2, 0}, {3, 5, 0}}},
        // Multi-byte letters in either case, and not the mix of their bytes.
        {{"é"}, "ÉtéÉ", "", {{0, 2, 0}, {3, 5, 0}, {5, 7, 0}}},
        {{"ÿ"}, "øŸøÿ", "", {{2, 4, 0}, {6, 8, 0}}},
        // Same start: the earlier rule, then the filter; else the first to start.
        {{"abc", "ab"}, "abcd", "abcd", {{0, 3, 0}}},
        {{"ab", "abcd"}, "abcd", "", {{0, 2, 0}}},
        {{"bcd"}, "abcd", "abc", {{0, 3, f}}},
        {{"bc"}, "abcd", "b", {{1, 3, 0}}},
        // A loser leaves room for the next occurrence of its own text.
        {{"aba", "zab"}, "zababa", "", {{0, 3, 1}, {3, 6, 0}}},
        {{"aa"}, "aaaaa", "", {{0, 2, 0}, {2, 4, 0}}},
        {{}, "un é", "É", {{3, 5, f}}},
        {{"x"}, "", "x", {}},
    };
    for (const Row& row : rows) {
        HighlightRules rules;
        for (const std::string& text : row.rules) rules.Add({text, 0, false});
        const activity::TextSearch filter(row.filter);
        EXPECT_EQ(rules.Marks(row.line, &filter), row.marks) << row.line << " " << row.filter;
    }
}

// One alert for a burst, per rule; another once the quiet time has passed
// since the last one that went out, not since the last line.
TEST(HighlightRules, AlertGateLetsOneThroughPerQuietTime) {
    std::int64_t now = 1'000;
    AlertGate gate(60'000, [&now] { return now; });
    EXPECT_TRUE(gate.Allow("error"));
    for (int i = 0; i < 1000; ++i) EXPECT_FALSE(gate.Allow("error"));
    EXPECT_TRUE(gate.Allow("denied"));
    now += 59'999;
    EXPECT_FALSE(gate.Allow("error"));
    now += 1;
    EXPECT_TRUE(gate.Allow("error"));
    EXPECT_FALSE(gate.Allow("error"));
    gate.SetQuietMs(10);
    now += 10;
    EXPECT_TRUE(gate.Allow("error"));
    const std::int64_t a = AlertGate::SteadyMs();
    EXPECT_LE(a, AlertGate::SteadyMs());
    EXPECT_TRUE(AlertGate().Allow("error"));
}
