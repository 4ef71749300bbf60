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

// Several searches in one pass over the text, for the highlight rules over
// a window's entries: the text is read once however many needles there are.
// Each needle is looked for first by a window of up to three of its bytes,
// all windows at once through tables of nibbles (the Teddy way: one table
// lookup a nibble gives the needles whose window may hold the byte), so a
// turn costs the same for one needle or sixteen; the places the tables let
// through are then checked needle by needle.
class TextSearchSet {
  public:
    // The needles one pass tries together; more need another set.
    static constexpr std::size_t kMaxNeedles = 16;
    explicit TextSearchSet(std::vector<TextSearch> searches = {});  // at most kMaxNeedles

    std::size_t size() const { return searches_.size(); }
    const TextSearch& operator[](std::size_t i) const { return searches_[i]; }

    // For each entry k of a text of entries lying back to back (entry k ends
    // at ends[k], the first starts at 0), the first needle n, in the set's
    // order, that the entry holds wholly: firsts[k] becomes offset + n where
    // it is -1 or higher. A match across two entries is none.
    void LowerToFirst(std::string_view text, const std::vector<std::size_t>& ends, int* firsts,
                      int offset) const;

  private:
    struct Tables;
    struct Walk;
    static constexpr std::size_t kWindow = 3;
    static constexpr std::size_t kBuckets = 8;  // a bit of a table's byte each; needle n in n % 8

    void ScanAvx2(Walk& walk, std::size_t& q) const;
    void ScanAvx512(Walk& walk, std::size_t& q) const;

    std::vector<TextSearch> searches_;
    bool tables_ = false;  // every needle has a byte to look for
};

// For tests: the widest vectors the searches may use from now on (2: AVX-512,
// 1: AVX2, 0: neither), never more than the processor has.
void LimitVectorLevel(int level);

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
