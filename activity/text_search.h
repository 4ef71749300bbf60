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

}  // namespace activity
