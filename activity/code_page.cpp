#include "code_page.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QV_SSE2 1
#endif

#include "utf.h"

namespace activity {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kNulPlaceholder = 0x2400;  // SYMBOL FOR NULL

// Table entries hold up to three bytes: the code pages' characters all fit.
std::uint8_t EncodeUtf8(char32_t c, char* out) {
    std::string bytes;
    AppendUtf8(c >= 0x10000 ? kReplacement : c, bytes);
    bytes.copy(out, bytes.size());
    return static_cast<std::uint8_t>(bytes.size());
}

// True when all eight bytes are printable-or-control ASCII, none of them NUL.
inline bool PlainAscii8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return (((v - 0x0101010101010101ull) | v) & 0x8080808080808080ull) == 0;
}

// Length of the leading run of bytes 1..127.
std::size_t PlainAsciiPrefix(std::string_view bytes) {
    std::size_t i = 0;
#ifdef QV_SSE2
    // Sixteen at a time: a byte from 0x80 up has its sign bit set, and so has NUL's compare.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= bytes.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        const auto bad =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(v, _mm_cmpeq_epi8(v, zero))));
        if (bad != 0) return i + static_cast<std::size_t>(std::countr_zero(bad));
    }
#endif
    while (i + 8 <= bytes.size() && PlainAscii8(bytes.data() + i)) i += 8;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0 || b >= 0x80) break;
        ++i;
    }
    return i;
}

// The length of a valid UTF-8 sequence at `p`, or 0.
std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t avail) {
    const Utf8Char c = DecodeUtf8({reinterpret_cast<const char*>(p), avail});
    return c.valid ? c.length : 0;
}

// Whether the `n` bytes at `p`, a lead byte and the continuation bytes after
// it, begin a valid sequence that takes all of them, whatever follows.
bool Utf8CanStart(const unsigned char* p, std::size_t n) {
    const unsigned b = p[0];
    if (b < 0xC2 || b > 0xF4) return false;
    const std::size_t len = b <= 0xDF ? 2 : b <= 0xEF ? 3 : 4;
    if (len < n) return false;
    if (n == 1) return true;
    // The second byte rules out overlong forms, surrogates and code points
    // past U+10FFFF.
    const unsigned low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
    const unsigned high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
    return p[1] >= low && p[1] <= high;
}

}  // namespace

CodePageDecoder::CodePageDecoder(std::unique_ptr<CodePageSource> source)
    : source_(std::move(source)) {
    utf8_ = source_ && source_->IsUtf8();
    for (unsigned b = 0; b < 256; ++b) {
        Entry& e = single_[b];
        char32_t c = kReplacement;
        if (b == 0) {
            c = kNulPlaceholder;
        } else if (b < 0x80 && (utf8_ || !source_)) {
            c = b;
        } else if (source_ && !utf8_) {
            char32_t got = 0;
            switch (source_->Single(static_cast<std::uint8_t>(b), got)) {
                case CodePageSource::Kind::kChar:
                    c = got == 0 ? kNulPlaceholder : got;
                    break;
                case CodePageSource::Kind::kLead:
                    c = 0;
                    break;
                case CodePageSource::Kind::kInvalid:
                    break;
            }
        }
        if (c == 0) {
            e.length = 0;
            hasLeads_ = true;
            auto table = std::make_unique<std::array<Entry, 256>>();
            for (unsigned t = 0; t < 256; ++t) {
                char32_t pc = 0;
                if (!source_->Pair(static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(t), pc))
                    pc = 0;  // marks an invalid pair
                Entry& te = (*table)[t];
                te.length = pc == 0 ? 0 : EncodeUtf8(pc, te.utf8);
            }
            pairs_[b] = std::move(table);
        } else {
            e.length = EncodeUtf8(c, e.utf8);
        }
    }
}

CodePageDecoder::~CodePageDecoder() = default;

std::size_t CodePageDecoder::AppendOne(const unsigned char* p, std::size_t avail,
                                       std::string& out) const {
    if (utf8_) {
        const std::size_t len = p[0] == 0 ? 0 : Utf8SequenceLength(p, avail);
        if (len != 0) {
            out.append(reinterpret_cast<const char*>(p), len);
            return len;
        }
    } else if (const Entry& e = single_[p[0]]; e.length != 0) {
        out.append(e.utf8, e.length);
        return 1;
    } else if (avail > 1 && (*pairs_[p[0]])[p[1]].length != 0) {
        const Entry& pe = (*pairs_[p[0]])[p[1]];
        out.append(pe.utf8, pe.length);
        return 2;
    }
    // NUL shows as its symbol; anything invalid, a lone lead byte included, as U+FFFD.
    if (p[0] == 0) {
        out.append(single_[0].utf8, single_[0].length);
    } else {
        out.append("\xEF\xBF\xBD", 3);
    }
    return 1;
}

std::size_t CodePageDecoder::Append(std::string_view bytes, std::string& out) const {
    std::size_t chars = 0;
    std::size_t i = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    while (i < bytes.size()) {
        const std::size_t run = PlainAsciiPrefix(bytes.substr(i));
        out.append(bytes.data() + i, run);
        chars += run;
        i += run;
        if (i == bytes.size()) break;
        i += AppendOne(p + i, bytes.size() - i, out);
        ++chars;
    }
    return chars;
}

std::size_t CodePageDecoder::CutPoint(std::string_view bytes, std::size_t limit) const {
    if (limit >= bytes.size()) return bytes.size();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (utf8_) {
        std::size_t cut = limit;
        // Step back over at most three continuation bytes to a sequence start.
        for (int k = 0; k < 3 && cut > 0 && (p[cut] & 0xC0) == 0x80; ++k) --cut;
        if (cut == 0 || (p[cut] & 0xC0) == 0x80) return limit;
        // Only the bytes up to `limit` decide: a scan that has no more yet
        // must cut where a later one with the rest of the line would.
        return Utf8CanStart(p + cut, limit - cut + 1) ? cut : limit;
    }
    if (!hasLeads_) return limit;
    // Pairs can only be told from the start, so walk from the beginning.
    std::size_t i = 0;
    while (i < limit) {
        const bool pair = single_[p[i]].length == 0 && i + 1 < bytes.size() &&
                          (*pairs_[p[i]])[p[i + 1]].length != 0;
        const std::size_t len = pair ? 2 : 1;
        if (i + len > limit) break;
        i += len;
    }
    return i;
}

const CodePageDecoder& SystemDecoder() {
    static const CodePageDecoder decoder(OpenCodePage(0));
    return decoder;
}

}  // namespace activity
