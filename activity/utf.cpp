#include "utf.h"

namespace activity {

Utf8Char DecodeUtf8(std::string_view text) {
    constexpr Utf8Char kBad{kReplacementChar, 1, false};
    const auto b = static_cast<unsigned char>(text[0]);
    if (b < 0x80) return {b, 1, true};
    std::size_t len;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        min = 0x10000;
    } else {
        return kBad;
    }
    if (text.size() < len) return kBad;
    char32_t c = b & (0x7Fu >> len);
    for (std::size_t k = 1; k < len; ++k) {
        const auto t = static_cast<unsigned char>(text[k]);
        if ((t & 0xC0) != 0x80) return kBad;
        c = (c << 6) | (t & 0x3Fu);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return kBad;
    return {c, len, true};
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) c = kReplacementChar;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(char32_t c, std::u16string& out) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<char16_t>(c);
    }
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(c, out);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char32_t c : Utf8ToUtf32(text)) AppendUtf16(c, out);
    return out;
}

std::u32string Utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8(text.substr(i));
        out += c.value;
        i += c.length;
    }
    return out;
}

}  // namespace activity
