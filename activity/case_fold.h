#pragma once

#include <string>
#include <string_view>

#include "registry_value.h"

namespace activity {

// A-Z only: drive letters, "UNC" and the variable names Wine sets compare so.
template <typename Char>
constexpr Char AsciiLower(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Simple lower-case folding of one UTF-16 unit, enough for the names Windows
// compares case-insensitively: ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic and full-width Latin. Unlisted units fold to themselves.
inline char16_t FoldCase(char16_t c) {
    const auto plus = [c](int n) { return static_cast<char16_t>(c + n); };
    if (c < 0x80) return AsciiLower(c);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return plus(32);
    if (c < 0x100 || c == 0x130) return c;  // dotted I has no simple folding
    if (c < 0x138 || (c >= 0x14A && c < 0x178)) return (c & 1) == 0 ? plus(1) : c;
    if ((c >= 0x139 && c < 0x149) || (c >= 0x179 && c < 0x17F)) return (c & 1) == 1 ? plus(1) : c;
    if (c == 0x178) return 0xFF;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return plus(37);
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return plus(63);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return plus(32);
    if (c >= 0x400 && c < 0x410) return plus(80);
    if (c >= 0x410 && c < 0x430) return plus(32);
    if ((c >= 0x460 && c < 0x482) || (c >= 0x48A && c < 0x4C0) || (c >= 0x4D0 && c < 0x530))
        return (c & 1) == 0 ? plus(1) : c;
    if (c >= 0xFF21 && c <= 0xFF3A) return plus(32);
    return c;
}

// UTF-8 text as folded UTF-16 units, for comparing names.
inline std::u16string FoldedUtf16(std::string_view text) {
    std::u16string units = Utf8ToUtf16(text);
    for (char16_t& unit : units) unit = FoldCase(unit);
    return units;
}

}  // namespace activity
