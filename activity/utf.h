#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8, UTF-16 and code points, for every layer: one strict decoder, so that
// a malformed byte reads the same (one U+FFFD) wherever it is met.
namespace activity {

inline constexpr char32_t kReplacementChar = 0xFFFD;

struct Utf8Char {
    char32_t value;      // kReplacementChar when not valid
    std::size_t length;  // bytes taken: the sequence, or 1 when not valid
    bool valid;
};

// The character at the start of `text` (not empty). Overlong forms,
// surrogates, code points past U+10FFFF and cut sequences are not valid.
Utf8Char DecodeUtf8(std::string_view text);

// Appends `c` as UTF-8; a surrogate or a value past U+10FFFF as U+FFFD.
void AppendUtf8(char32_t c, std::string& out);
// Appends `c` as one or two UTF-16 units.
void AppendUtf16(char32_t c, std::u16string& out);

std::string Utf16ToUtf8(std::u16string_view text);  // unpaired surrogates: U+FFFD
std::u16string Utf8ToUtf16(std::string_view text);
std::u32string Utf8ToUtf32(std::string_view text);

}  // namespace activity
