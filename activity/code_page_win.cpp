#include <windows.h>

#include "code_page.h"

namespace activity {

namespace {

// Decodes 1 or 2 bytes to exactly one character, or fails.
bool DecodeOne(UINT codePage, const char* bytes, int length, char32_t& c) {
    wchar_t units[4] = {};
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, units, 4);
    if (n == 1 && (units[0] < 0xD800 || units[0] >= 0xE000)) {
        c = static_cast<char32_t>(units[0]);
        return true;
    }
    if (n == 2 && units[0] >= 0xD800 && units[0] < 0xDC00 && units[1] >= 0xDC00 &&
        units[1] < 0xE000) {
        c = 0x10000 + ((static_cast<char32_t>(units[0]) - 0xD800) << 10) +
            (static_cast<char32_t>(units[1]) - 0xDC00);
        return true;
    }
    return false;
}

class Utf8Source final : public CodePageSource {
  public:
    bool IsUtf8() const override { return true; }
    Kind Single(std::uint8_t byte, char32_t& c) const override {
        if (byte >= 0x80) return Kind::kInvalid;
        c = byte;
        return Kind::kChar;
    }
    bool Pair(std::uint8_t, std::uint8_t, char32_t&) const override { return false; }
};

class WindowsSource final : public CodePageSource {
  public:
    explicit WindowsSource(UINT codePage) : codePage_(codePage) {}
    bool IsUtf8() const override { return false; }

    Kind Single(std::uint8_t byte, char32_t& c) const override {
        if (IsDBCSLeadByteEx(codePage_, byte)) return Kind::kLead;
        const char b = static_cast<char>(byte);
        return DecodeOne(codePage_, &b, 1, c) ? Kind::kChar : Kind::kInvalid;
    }

    bool Pair(std::uint8_t lead, std::uint8_t trail, char32_t& c) const override {
        const char b[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        return DecodeOne(codePage_, b, 2, c);
    }

  private:
    UINT codePage_;
};

}  // namespace

std::unique_ptr<CodePageSource> OpenCodePage(unsigned codePage) {
    const UINT cp = codePage == 0 ? GetACP() : codePage;
    if (cp == CP_UTF8) return std::make_unique<Utf8Source>();
    if (!IsValidCodePage(cp)) return nullptr;
    return std::make_unique<WindowsSource>(cp);
}

}  // namespace activity
