#include "highlight_rules.h"

#include <algorithm>
#include <chrono>

#include "case_fold.h"
#include "utf.h"

namespace activity {

namespace {

std::size_t CharCount(std::string_view text, std::size_t stopAfter) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size() && count <= stopAfter; ++count) {
        at += DecodeUtf8(text.substr(at)).length;
    }
    return count;
}

}  // namespace

HighlightRules::Refusal HighlightRules::Check(const HighlightRule& rule, std::size_t except) const {
    if (rule.text.empty()) return Refusal::Empty;
    if (CharCount(rule.text, kMaxTextChars) > kMaxTextChars) return Refusal::TooLong;
    const std::u16string folded = FoldedUtf16(rule.text);
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        if (i != except && FoldedUtf16(rules_[i].text) == folded) return Refusal::Duplicate;
    }
    return Refusal::None;
}

void HighlightRules::Edited() {
    ++version_;
    sets_.clear();
    for (std::size_t i = 0; i < rules_.size(); i += TextSearchSet::kMaxNeedles) {
        std::vector<TextSearch> searches;
        const std::size_t end = std::min(rules_.size(), i + TextSearchSet::kMaxNeedles);
        for (std::size_t j = i; j < end; ++j) searches.emplace_back(rules_[j].text);
        sets_.emplace_back(std::move(searches));
    }
}

HighlightRules::Refusal HighlightRules::Add(HighlightRule rule) {
    const Refusal refusal = Check(rule, rules_.size());
    if (refusal != Refusal::None) return refusal;
    rule.colour = std::clamp(rule.colour, 0, kHighlightColours - 1);
    rules_.push_back(std::move(rule));
    Edited();
    return Refusal::None;
}

HighlightRules::Refusal HighlightRules::Change(std::size_t index, HighlightRule rule) {
    if (index >= rules_.size()) return Refusal::None;  // nothing there to change
    const Refusal refusal = Check(rule, index);
    if (refusal != Refusal::None) return refusal;
    rule.colour = std::clamp(rule.colour, 0, kHighlightColours - 1);
    rules_[index] = std::move(rule);
    Edited();
    return Refusal::None;
}

void HighlightRules::Remove(std::size_t index) {
    if (index >= rules_.size()) return;
    rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(index));
    Edited();
}

void HighlightRules::Move(std::size_t from, std::size_t to) {
    if (from >= rules_.size() || to >= rules_.size() || from == to) return;
    const auto at = [this](std::size_t i) {
        return rules_.begin() + static_cast<std::ptrdiff_t>(i);
    };
    if (from < to) {
        std::rotate(at(from), at(from + 1), at(to + 1));
    } else {
        std::rotate(at(to), at(from), at(from + 1));
    }
    Edited();
}

const std::vector<HighlightRule>& HighlightRules::Rules() const {
    return rules_;
}
bool HighlightRules::empty() const {
    return rules_.empty();
}
std::uint64_t HighlightRules::Version() const {
    return version_;
}

void HighlightRules::Classify(const EntryBatch& batch, std::vector<int>& out) const {
    const std::size_t base = out.size();
    out.resize(base + batch.size(), -1);
    if (batch.empty()) return;
    const std::vector<std::size_t>& ends = batch.ends();
    const std::string_view text = std::string_view(batch.text()).substr(0, ends.back());
    // The first set first: an entry a set has coloured keeps its colour, as
    // a later set's rules come after.
    for (std::size_t s = 0; s < sets_.size(); ++s)
        sets_[s].LowerToFirst(text, ends, out.data() + base,
                              static_cast<int>(s * TextSearchSet::kMaxNeedles));
}

int HighlightRules::FirstMatch(std::string_view line) const {
    for (std::size_t s = 0; s < sets_.size(); ++s) {
        for (std::size_t n = 0; n < sets_[s].size(); ++n) {
            if (sets_[s][n].Find(line) != std::string_view::npos)
                return static_cast<int>(s * TextSearchSet::kMaxNeedles + n);
        }
    }
    return -1;
}

std::vector<HighlightRules::Mark> HighlightRules::Marks(std::string_view line,
                                                        const TextSearch* filter) const {
    // Every occurrence, overlapping ones too: one that loses to an earlier
    // mark may leave room for the next.
    std::vector<Mark> all;
    const auto gather = [&all, line](const TextSearch& search, int rule) {
        for (std::size_t at = search.Find(line); at != std::string_view::npos;
             at = search.Find(line, at + 1)) {
            all.push_back({at, at + search.size(), rule});
        }
    };
    for (std::size_t s = 0; s < sets_.size(); ++s) {
        for (std::size_t n = 0; n < sets_[s].size(); ++n)
            gather(sets_[s][n], static_cast<int>(s * TextSearchSet::kMaxNeedles + n));
    }
    if (filter && filter->size() > 0) gather(*filter, kFilterMark);
    // The filter after every rule at one place.
    const auto order = [](const Mark& m) {
        return std::pair(m.begin, m.rule == kFilterMark ? INT32_MAX : m.rule);
    };
    std::sort(all.begin(), all.end(),
              [&order](const Mark& a, const Mark& b) { return order(a) < order(b); });
    std::vector<Mark> marks;
    for (const Mark& m : all) {
        if (marks.empty() || m.begin >= marks.back().end) marks.push_back(m);
    }
    return marks;
}

std::int64_t AlertGate::SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

AlertGate::AlertGate(std::int64_t quietMs, Clock clock)
    : quietMs_(quietMs), clock_(std::move(clock)) {}

void AlertGate::SetQuietMs(std::int64_t quietMs) {
    quietMs_ = quietMs;
}

bool AlertGate::Allow(const std::string& text) {
    const std::int64_t now = clock_();
    const auto it = last_.find(text);
    if (it != last_.end() && now - it->second < quietMs_) return false;
    last_[text] = now;
    return true;
}

}  // namespace activity
