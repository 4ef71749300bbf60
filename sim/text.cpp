#include "text.h"

#include <cstdint>
#include <cstdio>

namespace sim {

namespace {

// Code page 1252's bytes 0x80-0x9F, by Unicode value; the five holes are 0.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

std::u32string DecodeUtf8(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x06 ? 2
                                   : (lead >> 4) == 0x0E ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto trail = static_cast<std::uint8_t>(utf8[i + k]);
            valid = (trail & 0xC0) == 0x80;
            c = (c << 6) | (trail & 0x3F);
        }
        out += valid ? c : U'\uFFFD';
        i += valid ? length : 1;
    }
    return out;
}

std::string EncodeCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char32_t c : DecodeUtf8(utf8)) out += Cp1252Byte(c);
    return out;
}

std::string EscapeRegString(std::string_view utf8) {
    std::string out;
    const auto unit = [&out](char32_t u) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\x%04x", static_cast<unsigned>(u));
        out += buf;
    };
    for (char32_t c : DecodeUtf8(utf8)) {
        if (c == U'\\' || c == U'"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (c > 0xFFFF) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

}  // namespace sim
