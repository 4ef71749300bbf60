#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace activity {

// What the platform knows of an 8-bit code page (code_page_posix.cpp through
// iconv, code_page_win.cpp through the Win32 API). Asked once per byte or byte
// pair; the decoder keeps the answers in tables.
class CodePageSource {
  public:
    enum class Kind { kChar, kLead, kInvalid };
    virtual ~CodePageSource() = default;
    virtual bool IsUtf8() const = 0;
    // A lone byte: a character (stored in `c`), the lead byte of a pair, or invalid.
    virtual Kind Single(std::uint8_t byte, char32_t& c) const = 0;
    // A lead and a trail byte: true and the character, or false when invalid.
    virtual bool Pair(std::uint8_t lead, std::uint8_t trail, char32_t& c) const = 0;
};

// The code page whose number Windows uses (1252, 932, 65001...); 0 stands for
// the system's own: the ANSI code page on Windows, elsewhere the one the Wine
// prefix records, or the locale's codeset without a prefix. nullptr when the
// platform cannot decode it.
std::unique_ptr<CodePageSource> OpenCodePage(unsigned codePage);

// Decodes log text from an 8-bit code page to UTF-8. Bytes that are invalid
// become U+FFFD and a NUL shows as U+2400, so nothing is dropped and no line is
// cut short by the display.
class CodePageDecoder {
  public:
    // Falls back to ASCII (every byte above 127 invalid) when `source` is null.
    explicit CodePageDecoder(std::unique_ptr<CodePageSource> source);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    // The bytes are UTF-8: valid sequences pass as they are.
    bool IsUtf8() const { return utf8_; }

    // Appends the UTF-8 text of `bytes` to `out`; returns its character count.
    std::size_t Append(std::string_view bytes, std::string& out) const;

    // The largest length <= `limit` at which `bytes` (which begins at a
    // character boundary) can be cut without splitting a character.
    std::size_t CutPoint(std::string_view bytes, std::size_t limit) const;

  private:
    struct Entry {
        char utf8[3];
        std::uint8_t length;  // 0: lead byte of a pair
    };
    // One character that is not plain ASCII; returns the bytes it took.
    std::size_t AppendOne(const unsigned char* p, std::size_t avail, std::string& out) const;

    std::unique_ptr<CodePageSource> source_;
    bool utf8_ = false;
    bool hasLeads_ = false;
    std::array<Entry, 256> single_{};
    std::array<std::unique_ptr<std::array<Entry, 256>>, 256> pairs_;  // by lead byte
};

// The decoder for the system's code page, made on first use.
const CodePageDecoder& SystemDecoder();

}  // namespace activity
