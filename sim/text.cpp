#include "text.h"

#include <cstdint>
#include <cstdio>

#include "utf.h"

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

std::string EncodeCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char32_t c : activity::Utf8ToUtf32(utf8)) out += Cp1252Byte(c);
    return out;
}

std::string EscapeRegString(std::string_view utf8) {
    std::string out;
    const auto unit = [&out](char32_t u) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "\\x%04x", static_cast<unsigned>(u));
        out += buf;
    };
    for (char32_t c : activity::Utf8ToUtf32(utf8)) {
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
