#include "wine_registry.h"

#include <cstring>
#include <utility>

#include "case_fold.h"
#include "whole_file.h"

namespace activity {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view SkipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

bool StartsWith(std::string_view s, std::string_view head) {
    return s.substr(0, head.size()) == head;
}

// Lines without their LF (or CRLF); the last one may lack its end.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    bool Next(std::string_view& line) {
        if (rest_.empty()) return false;
        const void* lf = std::memchr(rest_.data(), '\n', rest_.size());
        const std::size_t len =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - rest_.data())
               : rest_.size();
        line = rest_.substr(0, len);
        rest_.remove_prefix(lf ? len + 1 : len);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return true;
    }

  private:
    std::string_view rest_;
};

// The UTF-16 units of a string as Wine escapes it, up to an unescaped `close`.
// Decoded one unit at a time so that a mismatching name costs a few bytes.
class EscapedString {
  public:
    EscapedString(std::string_view text, char close) : text_(text), close_(close) {}

    // False at the closing character or when the text runs out; closed() tells which.
    bool Next(char16_t& unit) {
        if (pending_ != 0) {
            unit = std::exchange(pending_, u'\0');
            return true;
        }
        if (closed_ || pos_ >= text_.size()) return false;
        const char c = text_[pos_];
        if (c == '\n') return false;  // strings never span lines
        if (c == close_) {
            ++pos_;
            closed_ = true;
            return false;
        }
        if (c != '\\') return DecodeUtf8(unit);
        if (pos_ + 1 >= text_.size()) {
            pos_ = text_.size();
            return false;
        }
        const char e = text_[pos_ + 1];
        if (e == '\n') return false;
        pos_ += 2;
        return DecodeEscape(e, unit);
    }

    bool closed() const { return closed_; }
    // Just past the closing character once closed.
    std::size_t position() const { return pos_; }

  private:
    bool DecodeEscape(char e, char16_t& unit) {
        switch (e) {
            case 'a':
                unit = u'\a';
                return true;
            case 'b':
                unit = u'\b';
                return true;
            case 't':
                unit = u'\t';
                return true;
            case 'n':
                unit = u'\n';
                return true;
            case 'v':
                unit = u'\v';
                return true;
            case 'f':
                unit = u'\f';
                return true;
            case 'r':
                unit = u'\r';
                return true;
            case 'e':
                unit = u'\x1b';
                return true;
            default:
                break;
        }
        if (e >= '0' && e <= '7') {
            unsigned value = static_cast<unsigned>(e - '0');
            for (int n = 1;
                 n < 3 && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '7'; ++n) {
                value = value * 8 + static_cast<unsigned>(text_[pos_++] - '0');
            }
            unit = static_cast<char16_t>(value);
            return true;
        }
        if (e == 'x' && pos_ < text_.size() && HexValue(text_[pos_]) >= 0) {
            unsigned value = 0;
            for (int n = 0; n < 4 && pos_ < text_.size() && HexValue(text_[pos_]) >= 0; ++n) {
                value = value * 16 + static_cast<unsigned>(HexValue(text_[pos_++]));
            }
            unit = static_cast<char16_t>(value);
            return true;
        }
        if (static_cast<unsigned char>(e) >= 0x80) {
            --pos_;  // an escaped non-ASCII character is that character
            return DecodeUtf8(unit);
        }
        unit = static_cast<char16_t>(e);
        return true;
    }

    // One UTF-8 character; a malformed byte stands alone as U+FFFD.
    bool DecodeUtf8(char16_t& unit) {
        const Utf8Char c = activity::DecodeUtf8(text_.substr(pos_));
        pos_ += c.length;
        if (c.value < 0x10000) {
            unit = static_cast<char16_t>(c.value);
        } else {
            unit = static_cast<char16_t>(0xD800 + ((c.value - 0x10000) >> 10));
            pending_ = static_cast<char16_t>(0xDC00 + (c.value & 0x3FF));
        }
        return true;
    }

    std::string_view text_;
    char close_;
    std::size_t pos_ = 0;
    char16_t pending_ = 0;
    bool closed_ = false;
};

// Whether the escaped name starting `text` spells `folded` whole; `end` then
// indexes just past its closing character.
bool NameMatches(std::string_view text, char close, std::u16string_view folded, std::size_t& end) {
    EscapedString name(text, close);
    std::size_t i = 0;
    char16_t unit = 0;
    while (name.Next(unit)) {
        if (i >= folded.size() || FoldCase(unit) != folded[i]) return false;
        ++i;
    }
    end = name.position();
    return name.closed() && i == folded.size();
}

std::optional<RegistryValue> ParseString(std::string_view text, std::uint32_t type) {
    EscapedString s(text, '"');
    RegistryValue value{type, {}};
    char16_t unit = 0;
    while (s.Next(unit)) {
        value.data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        value.data.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    if (!s.closed()) return std::nullopt;
    value.data.push_back(0);
    value.data.push_back(0);
    return value;
}

// Comma-separated bytes; a trailing backslash continues them on the next line.
std::optional<RegistryValue> ParseHex(std::string_view text, std::uint32_t type, LineReader more) {
    RegistryValue value{type, {}};
    for (;;) {
        std::size_t i = 0;
        while (i < text.size() && HexValue(text[i]) >= 0) {
            unsigned byte = 0;
            for (; i < text.size() && HexValue(text[i]) >= 0; ++i) {
                byte = byte * 16 + static_cast<unsigned>(HexValue(text[i]));
                if (byte > 0xFF) return std::nullopt;
            }
            value.data.push_back(static_cast<std::uint8_t>(byte));
            while (i < text.size() && IsBlank(text[i])) ++i;
            if (i < text.size() && text[i] == ',') ++i;
            while (i < text.size() && IsBlank(text[i])) ++i;
        }
        if (i == text.size()) return value;
        if (text[i] != '\\' || !more.Next(text)) return std::nullopt;
        text = SkipBlanks(text);
    }
}

std::optional<RegistryValue> ParseDword(std::string_view text) {
    text = SkipBlanks(text);
    std::uint32_t dword = 0;
    std::size_t digits = 0;
    for (; digits < text.size() && HexValue(text[digits]) >= 0; ++digits) {
        if (digits == 8) return std::nullopt;
        dword = dword * 16 + static_cast<std::uint32_t>(HexValue(text[digits]));
    }
    if (digits == 0) return std::nullopt;
    RegistryValue value{kRegDword, {}};
    for (int shift = 0; shift < 32; shift += 8) {
        value.data.push_back(static_cast<std::uint8_t>(dword >> shift));
    }
    return value;
}

// "N):" of "hex(N):" or "str(N):", N in hex; `text` is left past the colon.
bool ParseTypeNumber(std::string_view& text, std::uint32_t& type) {
    std::size_t i = 0;
    type = 0;
    for (; i < text.size() && HexValue(text[i]) >= 0; ++i) {
        if (i == 8) return false;
        type = type * 16 + static_cast<std::uint32_t>(HexValue(text[i]));
    }
    if (i == 0 || !StartsWith(text.substr(i), "):")) return false;
    text.remove_prefix(i + 2);
    return true;
}

// The data after "name=".
std::optional<RegistryValue> ParseData(std::string_view text, const LineReader& more) {
    std::uint32_t type = kRegSz;
    if (StartsWith(text, "\"")) return ParseString(text.substr(1), kRegSz);
    if (StartsWith(text, "str:\"")) return ParseString(text.substr(5), kRegSz);
    if (StartsWith(text, "dword:")) return ParseDword(text.substr(6));
    if (StartsWith(text, "hex:")) return ParseHex(text.substr(4), kRegBinary, more);
    if (StartsWith(text, "hex(")) {
        text.remove_prefix(4);
        if (!ParseTypeNumber(text, type)) return std::nullopt;
        return ParseHex(text, type, more);
    }
    if (StartsWith(text, "str(")) {
        text.remove_prefix(4);
        if (!ParseTypeNumber(text, type) || !StartsWith(text, "\"")) return std::nullopt;
        return ParseString(text.substr(1), type);
    }
    return std::nullopt;
}

// The folded key path as the file spells it: no leading or trailing backslash.
std::u16string FoldedKeyPath(std::string_view keyPath) {
    keyPath = WithoutLeadingBackslashes(keyPath);
    while (!keyPath.empty() && keyPath.back() == '\\') keyPath.remove_suffix(1);
    return FoldedUtf16(keyPath);
}

// The start of the next key line from `from` on, or npos. Jumping from '[' to
// '[' skips the value lines, most of a 2 MB file, at memchr's speed.
std::size_t NextKeyLine(std::string_view text, std::size_t from) {
    while (from < text.size()) {
        const void* hit = std::memchr(text.data() + from, '[', text.size() - from);
        if (!hit) break;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        std::size_t lineStart = at;
        while (lineStart > 0 && IsBlank(text[lineStart - 1])) --lineStart;
        if (lineStart == 0 || text[lineStart - 1] == '\n') return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

// Where the lines of the key `folded` start, just past its key line; npos
// when it has no line of its own.
std::size_t FindKeyBlock(std::string_view text, std::u16string_view folded) {
    const void* lf = std::memchr(text.data(), '\n', text.size());
    if (!lf) return std::string_view::npos;
    std::size_t pos = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data());
    while ((pos = NextKeyLine(text, pos)) != std::string_view::npos) {
        std::size_t end = 0;
        ++pos;
        if (NameMatches(text.substr(pos), ']', folded, end)) {
            lf = std::memchr(text.data() + pos, '\n', text.size() - pos);
            return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) + 1
                      : text.size();
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::optional<RegistryValue> FindWineRegistryValue(std::string_view regText,
                                                   std::string_view keyPath,
                                                   std::string_view valueName) {
    LineReader lines(regText);
    std::string_view line;
    if (!lines.Next(line) || line != kHeader) return std::nullopt;
    const std::size_t block = FindKeyBlock(regText, FoldedKeyPath(keyPath));
    if (block == std::string_view::npos) return std::nullopt;

    const bool wantDefault = valueName.empty() || valueName == "@";
    const std::u16string name = wantDefault ? std::u16string() : FoldedUtf16(valueName);
    // A value set twice keeps its last readable setting, as Wine's loader would.
    std::optional<RegistryValue> found;
    lines = LineReader(regText.substr(block));
    while (lines.Next(line)) {
        line = SkipBlanks(line);
        if (line.empty()) continue;
        std::size_t end = 1;
        if (line.front() == '[') break;
        if (line.front() == '@') {
            if (!wantDefault) continue;
        } else if (line.front() != '"' || !NameMatches(line.substr(1), '"', name, end)) {
            continue;
        } else {
            end += 1;
        }
        const std::string_view data = SkipBlanks(line.substr(end));
        if (data.empty() || data.front() != '=') continue;
        if (auto value = ParseData(SkipBlanks(data.substr(1)), lines)) found = std::move(value);
    }
    return found;
}

std::optional<RegistryValue> ReadWineRegistryValue(const std::string& regFile,
                                                   std::string_view keyPath,
                                                   std::string_view valueName) {
    const std::optional<std::string> text = ReadWholeFile(regFile);
    if (!text) return std::nullopt;
    return FindWineRegistryValue(*text, keyPath, valueName);
}

}  // namespace activity
