#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace activity {

// Finds a text in UTF-8 as a user expects of a search box: case does not
// count for the letters FoldCase knows (so "é" finds "É", "ÿ" finds "Ÿ").
// Every case form of a letter has as many UTF-8 bytes as the others, so the
// search walks bytes (Boyer-Moore-Horspool over a set of bytes at each
// position) and checks letters only where the sets alone could be fooled.
class TextSearch {
  public:
    explicit TextSearch(std::string_view needle);
    // Any run of bytes each in its set: `sets[j]` holds the bytes that may
    // stand at j. For text in another encoding than UTF-8.
    explicit TextSearch(std::vector<std::array<bool, 256>> sets);

    std::size_t size() const { return length_; }  // bytes a match spans
    // The first match that starts at or after `from`, or npos.
    std::size_t Find(std::string_view text, std::size_t from = 0) const;

  private:
    friend class TextSearchSet;

    // A letter whose forms differ in more than one byte, where the byte sets
    // would also take a mix of two forms.
    struct Letter {
        std::size_t offset;
        std::vector<std::string> forms;
    };

    // The shifts and the bytes that open and close a match, from accept_.
    void Prepare();
    bool MatchesAt(const unsigned char* at) const;
    std::size_t FindWide(const unsigned char* text, std::size_t size, std::size_t& from) const;
    std::size_t FindAvx2(const unsigned char* text, std::size_t size, std::size_t& from) const;
    std::size_t FindAvx512(const unsigned char* text, std::size_t size, std::size_t& from) const;

    std::size_t length_ = 0;
    std::vector<std::array<bool, 256>> accept_;  // the bytes that may stand at each position
    std::array<std::size_t, 256> shift_{};
    std::vector<Letter> letters_;
    // The bytes that may open and close a match, when two or fewer each: then
    // 16 places (64 with AVX2, 128 with AVX-512) are tried at once where the processor can.
    std::array<unsigned char, 2> first_{};
    std::array<unsigned char, 2> last_{};
    bool pairs_ = false;
    bool whole_ = false;  // the two ends are the whole match: nothing to check
    // An end (0 or length_ - 1) whose bytes are all past ASCII, so rare in
    // logs: a turn that finds none of them there asks nothing more.
    std::size_t rare_ = SIZE_MAX;
};

// Several searches in one pass over the text: each turn tries every needle's
// first and last bytes at the same places, so that the text is read once
// however many needles there are (the highlight rules over a window's entries).
class TextSearchSet {
  public:
    // The needles one pass tries together; more need another set.
    static constexpr std::size_t kMaxNeedles = 16;
    explicit TextSearchSet(std::vector<TextSearch> searches = {});  // at most kMaxNeedles

    std::size_t size() const { return searches_.size(); }
    const TextSearch& operator[](std::size_t i) const { return searches_[i]; }

    struct Hit {
        std::size_t at = std::string_view::npos;  // npos: none
        std::size_t needle = 0;
    };
    // The first place at or after `from` where a needle matches; of two
    // needles at one place, the one given first. At `from` itself, only the
    // needles from `firstNeedle` on: the others were tried there before.
    Hit Find(std::string_view text, std::size_t from = 0, std::size_t firstNeedle = 0) const;

  private:
    Hit FindWide(const unsigned char* text, std::size_t size, std::size_t& from) const;
    Hit FindAvx2(const unsigned char* text, std::size_t size, std::size_t& from) const;
    Hit FindAvx512(const unsigned char* text, std::size_t size, std::size_t& from) const;
    // Which needle from `first` on matches at `at` with all its bytes before
    // `size`, the one given first.
    Hit At(const unsigned char* text, std::size_t size, std::size_t at,
           std::size_t first = 0) const;

    // The first of the needles that `masks` (a bit a place from `p`) give
    // at the first of the places in `any` where one matches; its `at` from `p`.
    Hit Check(const unsigned char* p, std::uint64_t any, const std::uint64_t* masks) const;

    // The places in a needle that the wide loops try, with the two bytes
    // each may be: its ends and the rarest between them.
    // The wide loops' vectors are made here once, not at every call: a
    // window where every line matches calls once a line.
    static constexpr std::size_t kAnchors = 3;
    struct Anchors {
        std::size_t count = 0;
        std::array<std::size_t, kAnchors> at{};
        std::array<std::array<unsigned char, 2>, kAnchors> bytes{};
        // A byte is one of the two when (byte | fold) == want, or == other
        // where the two differ in more than one bit (folds false).
        alignas(64) std::array<std::array<unsigned char, 64>, kAnchors> fold{}, want{}, other{};
        std::array<bool, kAnchors> folds{};
    };

    std::vector<TextSearch> searches_;
    std::vector<Anchors> anchors_;
    std::size_t longest_ = 0;
    bool pairs_ = false;  // every needle has its two ends' bytes, so the wide loops apply
};

// Calls `take(k)` for each entry k of a text of entries lying back to back
// (entry k ends at ends[k]; the first starts at `begin`) that contains a
// match; a match across two entries is none.
template <class Ends, class Take>
void ForEachMatchingEntry(const TextSearch& search, std::string_view text, std::size_t begin,
                          const Ends& ends, Take take) {
    text = text.substr(0, ends.empty() ? begin : ends.back());
    std::size_t k = 0;
    for (std::size_t at = begin; k < ends.size();) {
        const std::size_t hit = search.Find(text, at);
        if (hit == std::string_view::npos) return;
        // Its entry: k only moves on, so the ends are passed once, cheaper
        // than a binary search per match when most entries match.
        while (ends[k] <= hit) ++k;
        if (hit + search.size() > ends[k]) {
            at = hit + 1;
            continue;
        }
        take(k);
        at = ends[k++];
    }
}

}  // namespace activity
