#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "entry_batch.h"
#include "text_search.h"

namespace activity {

// How many colours a rule may take: the interface maps each to a shade that
// reads on a light and on a dark background.
inline constexpr int kHighlightColours = 6;

struct HighlightRule {
    std::string text;  // UTF-8, matched as the filter matches (case aside, same folding)
    int colour = 0;    // 0 .. kHighlightColours - 1
    bool alert = false;
    bool operator==(const HighlightRule&) const = default;
};

// The session's highlight rules, in order: the first rule a line matches
// colours it. Kept for the session only; nothing is ever saved.
class HighlightRules {
  public:
    // Why a rule was not taken: an empty text, a text another rule has (case
    // aside), a text of more than kMaxTextChars characters.
    enum class Refusal { None, Empty, Duplicate, TooLong };
    static constexpr std::size_t kMaxTextChars = 1000;

    Refusal Add(HighlightRule rule);  // at the end
    Refusal Change(std::size_t index, HighlightRule rule);
    void Remove(std::size_t index);
    void Move(std::size_t from, std::size_t to);
    const std::vector<HighlightRule>& Rules() const;
    bool empty() const;
    // Changes with every edit, so that a view repaints and a cache is dropped.
    std::uint64_t Version() const;

    // The first rule each entry of `batch` matches (-1: none), appended to
    // `out` in the batch's order. Searches the batch's packed text, as the
    // filter does, not entry by entry.
    void Classify(const EntryBatch& batch, std::vector<int>& out) const;
    // The first rule `line` matches, or -1.
    int FirstMatch(std::string_view line) const;

    // A place in a line to paint: bytes [begin, end) of the UTF-8 line, in
    // the colour of `rule` (kFilterMark: the filter's text).
    static constexpr int kFilterMark = -2;
    struct Mark {
        std::size_t begin = 0;
        std::size_t end = 0;
        int rule = 0;
        bool operator==(const Mark&) const = default;
    };
    // Every occurrence in `line` of each rule's text, and of the filter's text
    // when given and not empty, in line order, none overlapping: where two
    // overlap, the one that starts first wins, then the earlier rule, then the
    // filter. The filter's search is the caller's, made once for row after row.
    std::vector<Mark> Marks(std::string_view line, const TextSearch* filter = nullptr) const;

  private:
    Refusal Check(const HighlightRule& rule, std::size_t except) const;
    void Edited();

    std::vector<HighlightRule> rules_;
    std::uint64_t version_ = 0;
    // The rules' searches, a set per kMaxNeedles rules, in order; made at each edit.
    std::vector<TextSearchSet> sets_;
};

// At most one alert per rule per quiet time, so that a burst of a thousand
// matching lines is one alert. Keyed by the rule's text, so that reordering
// or recolouring keeps its quiet time.
class AlertGate {
  public:
    using Clock = std::function<std::int64_t()>;  // milliseconds, rising
    static std::int64_t SteadyMs();
    explicit AlertGate(std::int64_t quietMs = 60'000, Clock clock = SteadyMs);

    void SetQuietMs(std::int64_t quietMs);
    // True when an entry matching the rule with `text` may alert now; then
    // notes the time.
    bool Allow(const std::string& text);

  private:
    std::int64_t quietMs_;
    Clock clock_;
    std::map<std::string, std::int64_t> last_;
};

}  // namespace activity
