#include "text_search.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QV_SSE2 1
#endif
// AVX2 where the processor has it, chosen when running: the build targets
// every x86-64. GCC and Clang only; MSVC keeps to SSE2.
#if defined(QV_SSE2) && (defined(__GNUC__) || defined(__clang__)) && \
    (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define QV_AVX2 1
#endif

#include "case_fold.h"
#include "utf.h"

namespace activity {

namespace {

// Every code point that folds as `c` does, `c` first; UTF-16 units only, as
// FoldCase knows nothing past them.
std::vector<char32_t> CaseForms(char32_t c) {
    // The units that fold to another, by what they fold to: made once.
    static const std::vector<std::pair<char16_t, char16_t>> unfold = [] {
        std::vector<std::pair<char16_t, char16_t>> pairs;
        for (char32_t x = 0; x <= 0xFFFF; ++x) {
            const auto unit = static_cast<char16_t>(x);
            if (FoldCase(unit) != unit) pairs.emplace_back(FoldCase(unit), unit);
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    }();
    std::vector<char32_t> forms = {c};
    if (c > 0xFFFF) return forms;
    const char16_t folded = FoldCase(static_cast<char16_t>(c));
    if (folded != c) forms.push_back(folded);
    const auto [from, to] =
        std::equal_range(unfold.begin(), unfold.end(), std::pair<char16_t, char16_t>(folded, 0),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto it = from; it != to; ++it) {
        if (it->second != c) forms.push_back(it->second);
    }
    return forms;
}

#ifdef QV_AVX2
// 2 for AVX-512BW, 1 for AVX2, else 0; asked once.
int VectorLevel() {
    static const int level = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512bw")) return 2;
        return __builtin_cpu_supports("avx2") ? 1 : 0;
    }();
    return level;
}
#endif

}  // namespace

TextSearch::TextSearch(std::vector<std::array<bool, 256>> sets) : accept_(std::move(sets)) {
    length_ = accept_.size();
    Prepare();
}

TextSearch::TextSearch(std::string_view needle) {
    for (std::size_t at = 0; at < needle.size();) {
        const Utf8Char c = DecodeUtf8(needle.substr(at));
        at += c.length;
        Letter letter{length_, {}};
        for (char32_t form : CaseForms(c.value)) {
            std::string bytes;
            AppendUtf8(form, bytes);
            letter.forms.push_back(bytes);
        }
        const std::size_t size = letter.forms.front().size();
        std::size_t differing = 0;
        for (std::size_t i = 0; i < size; ++i) {
            std::array<bool, 256>& accept = accept_.emplace_back();
            for (const std::string& form : letter.forms) {
                if (form.size() == size) accept[static_cast<unsigned char>(form[i])] = true;
            }
            differing += std::count(accept.begin(), accept.end(), true) > 1 ? 1 : 0;
        }
        length_ += size;
        if (differing > 1) letters_.push_back(std::move(letter));
    }
    Prepare();
}

void TextSearch::Prepare() {
    const auto pair = [](const std::array<bool, 256>& accept, std::array<unsigned char, 2>& out) {
        std::size_t n = 0;
        for (std::size_t b = 0; b < 256; ++b) {
            if (accept[b] && n++ < 2) out[n - 1] = static_cast<unsigned char>(b);
        }
        if (n == 1) out[1] = out[0];
        return n >= 1 && n <= 2;  // an empty set: no place to try
    };
    pairs_ = length_ > 0 && pair(accept_.front(), first_) && pair(accept_.back(), last_);
    whole_ = pairs_ && length_ <= 2 && letters_.empty();
    const auto high = [](const std::array<unsigned char, 2>& bytes) {
        return bytes[0] >= 0x80 && bytes[1] >= 0x80;
    };
    if (pairs_ && high(first_)) {
        rare_ = 0;
    } else if (pairs_ && high(last_)) {
        rare_ = length_ - 1;
    }
    shift_.fill(std::max<std::size_t>(length_, 1));
    for (std::size_t j = 0; j + 1 < length_; ++j) {
        for (std::size_t b = 0; b < 256; ++b) {
            if (accept_[j][b]) shift_[b] = length_ - 1 - j;
        }
    }
}

bool TextSearch::MatchesAt(const unsigned char* at) const {
    for (std::size_t j = 0; j < length_; ++j) {
        if (!accept_[j][at[j]]) return false;
    }
    for (const Letter& letter : letters_) {
        const auto* start = reinterpret_cast<const char*>(at) + letter.offset;
        const auto same = [start](const std::string& form) {
            return std::equal(form.begin(), form.end(), start);
        };
        if (std::none_of(letter.forms.begin(), letter.forms.end(), same)) return false;
    }
    return true;
}

// Tries sixteen places at a time on their first and last bytes; leaves `from`
// where it stopped, short of the end, for the byte-wise search to finish.
std::size_t TextSearch::FindWide([[maybe_unused]] const unsigned char* t,
                                 [[maybe_unused]] std::size_t size, std::size_t& from) const {
#ifdef QV_SSE2
    if (!pairs_) return std::string_view::npos;
#ifdef QV_AVX2
    if (const int level = VectorLevel(); level > 0) {
        const std::size_t at = level == 2 ? FindAvx512(t, size, from) : FindAvx2(t, size, from);
        if (at != std::string_view::npos) return at;
    }
#endif
    const auto set = [](unsigned char b) { return _mm_set1_epi8(static_cast<char>(b)); };
    const __m128i f0 = set(first_[0]), f1 = set(first_[1]), l0 = set(last_[0]), l1 = set(last_[1]);
    for (; from + length_ + 15 <= size; from += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + from));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + from + length_ - 1));
        const __m128i both =
            _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1)),
                          _mm_or_si128(_mm_cmpeq_epi8(b, l0), _mm_cmpeq_epi8(b, l1)));
        for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(both)); mask != 0;
             mask &= mask - 1) {
            const std::size_t hit = from + static_cast<std::size_t>(std::countr_zero(mask));
            if (whole_ || MatchesAt(t + hit)) return hit;
        }
    }
#endif
    return std::string_view::npos;
}

#ifdef QV_AVX2
namespace {

// Whether a byte is either of two. Two that differ in one bit, as a letter's
// cases often do, take one compare once that bit is set in the byte.
struct Either {
    unsigned char fold, want, other;
    bool folds;
    explicit Either(const std::array<unsigned char, 2>& bytes) {
        const auto differ = static_cast<unsigned char>(bytes[0] ^ bytes[1]);
        folds = differ == 0 || std::has_single_bit(static_cast<unsigned>(differ));
        fold = folds ? differ : 0;
        want = static_cast<unsigned char>(bytes[0] | fold);
        other = bytes[1];
    }
};

struct Either256 {
    __m256i fold, want, other;
    bool folds;
};

__attribute__((target("avx2"))) Either256 Wide256(const Either& e) {
    return {_mm256_set1_epi8(static_cast<char>(e.fold)),
            _mm256_set1_epi8(static_cast<char>(e.want)),
            _mm256_set1_epi8(static_cast<char>(e.other)), e.folds};
}

__attribute__((target("avx2"), always_inline)) inline __m256i Is(const unsigned char* p,
                                                                 const Either256& e) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hit = _mm256_cmpeq_epi8(_mm256_or_si256(x, e.fold), e.want);
    return e.folds ? hit : _mm256_or_si256(hit, _mm256_cmpeq_epi8(x, e.other));
}

struct Either512 {
    __m512i fold, want, other;
    bool folds;
};

__attribute__((target("avx512bw"))) Either512 Wide512(const Either& e) {
    return {_mm512_set1_epi8(static_cast<char>(e.fold)),
            _mm512_set1_epi8(static_cast<char>(e.want)),
            _mm512_set1_epi8(static_cast<char>(e.other)), e.folds};
}

__attribute__((target("avx512bw"), always_inline)) inline __mmask64 Is(const unsigned char* p,
                                                                       const Either512& e) {
    const __m512i x = _mm512_loadu_si512(p);
    const __mmask64 hit = _mm512_cmpeq_epi8_mask(_mm512_or_si512(x, e.fold), e.want);
    return e.folds ? hit : hit | _mm512_cmpeq_epi8_mask(x, e.other);
}

}  // namespace

// Sixty-four places a turn; a turn without a candidate costs no branch on the mask.
__attribute__((target("avx2"))) std::size_t TextSearch::FindAvx2(const unsigned char* t,
                                                                 std::size_t size,
                                                                 std::size_t& from) const {
    const Either256 f = Wide256(Either(first_)), l = Wide256(Either(last_));
    const std::size_t back = length_ - 1;
    const bool rare = rare_ != SIZE_MAX;
    const std::size_t at = rare ? rare_ : 0;
    const Either256& r = rare_ == 0 ? f : l;
    for (; from + back + 64 <= size; from += 64) {
        const unsigned char* p = t + from;
        if (rare) {
            const __m256i c = _mm256_or_si256(Is(p + at, r), Is(p + at + 32, r));
            if (_mm256_testz_si256(c, c)) continue;
        }
        const __m256i m0 = _mm256_and_si256(Is(p, f), Is(p + back, l));
        const __m256i m1 = _mm256_and_si256(Is(p + 32, f), Is(p + back + 32, l));
        const __m256i any = _mm256_or_si256(m0, m1);
        if (_mm256_testz_si256(any, any)) continue;
        std::uint64_t mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(m0)) |
                             std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(m1))}
                                 << 32;
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t hit = from + static_cast<std::size_t>(std::countr_zero(mask));
            if (whole_ || MatchesAt(t + hit)) return hit;
        }
    }
    return std::string_view::npos;
}

// The same, a hundred and twenty-eight places a turn.
__attribute__((target("avx512bw"))) std::size_t TextSearch::FindAvx512(const unsigned char* t,
                                                                       std::size_t size,
                                                                       std::size_t& from) const {
    const Either512 f = Wide512(Either(first_)), l = Wide512(Either(last_));
    const std::size_t back = length_ - 1;
    const bool rare = rare_ != SIZE_MAX;
    const std::size_t at = rare ? rare_ : 0;
    const Either512& r = rare_ == 0 ? f : l;
    for (; from + back + 128 <= size; from += 128) {
        const unsigned char* p = t + from;
        if (rare && (Is(p + at, r) | Is(p + at + 64, r)) == 0) continue;
        const __mmask64 m0 = Is(p, f) & Is(p + back, l);
        const __mmask64 m1 = Is(p + 64, f) & Is(p + back + 64, l);
        if ((m0 | m1) == 0) continue;
        for (std::size_t half = 0; half < 2; ++half) {
            for (std::uint64_t mask = half == 0 ? m0 : m1; mask != 0; mask &= mask - 1) {
                const std::size_t hit =
                    from + half * 64 + static_cast<std::size_t>(std::countr_zero(mask));
                if (whole_ || MatchesAt(t + hit)) return hit;
            }
        }
    }
    return std::string_view::npos;
}
#endif

std::size_t TextSearch::Find(std::string_view text, std::size_t from) const {
    if (length_ == 0) return from <= text.size() ? from : std::string_view::npos;
    if (from > text.size()) return std::string_view::npos;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    if (const std::size_t at = FindWide(t, text.size(), from); at != std::string_view::npos)
        return at;
    const std::array<bool, 256>& last = accept_.back();
    for (std::size_t i = from; i + length_ <= text.size();) {
        const unsigned char end = t[i + length_ - 1];
        if (last[end] && MatchesAt(t + i)) return i;
        i += shift_[end];
    }
    return std::string_view::npos;
}

TextSearchSet::TextSearchSet(std::vector<TextSearch> searches) : searches_(std::move(searches)) {
    if (searches_.size() > kMaxNeedles)
        searches_.erase(searches_.begin() + kMaxNeedles, searches_.end());
    pairs_ = !searches_.empty();
    for (const TextSearch& s : searches_) {
        longest_ = std::max(longest_, s.length_);
        pairs_ = pairs_ && s.pairs_;
    }
}

TextSearchSet::Hit TextSearchSet::At(const unsigned char* t, std::size_t size, std::size_t at,
                                     std::size_t first) const {
    for (std::size_t n = first; n < searches_.size(); ++n) {
        const TextSearch& s = searches_[n];
        if (at + s.length_ <= size && (s.length_ == 0 || s.accept_[0][t[at]]) &&
            s.MatchesAt(t + at)) {
            return {at, n};
        }
    }
    return {};
}

// Sixteen places a turn, every needle tried on the same ones; leaves `from`
// where it stopped, short of the end, for the place-by-place search to finish.
TextSearchSet::Hit TextSearchSet::FindWide([[maybe_unused]] const unsigned char* t,
                                           [[maybe_unused]] std::size_t size,
                                           std::size_t& from) const {
#ifdef QV_SSE2
    if (!pairs_) return {};
#ifdef QV_AVX2
    if (const int level = VectorLevel(); level > 0) {
        const Hit hit = level == 2 ? FindAvx512(t, size, from) : FindAvx2(t, size, from);
        if (hit.at != std::string_view::npos) return hit;
    }
#endif
    const auto set = [](unsigned char b) { return _mm_set1_epi8(static_cast<char>(b)); };
    const auto is = [&set](__m128i x, const std::array<unsigned char, 2>& bytes) {
        return _mm_or_si128(_mm_cmpeq_epi8(x, set(bytes[0])), _mm_cmpeq_epi8(x, set(bytes[1])));
    };
    for (; from + longest_ + 15 <= size; from += 16) {
        const unsigned char* p = t + from;
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        std::array<unsigned, kMaxNeedles> masks{};
        unsigned any = 0;
        for (std::size_t n = 0; n < searches_.size(); ++n) {
            const TextSearch& s = searches_[n];
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + s.length_ - 1));
            masks[n] = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_and_si128(is(a, s.first_), is(b, s.last_))));
            any |= masks[n];
        }
        for (; any != 0; any &= any - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(any));
            for (std::size_t n = 0; n < searches_.size(); ++n) {
                const TextSearch& s = searches_[n];
                if ((masks[n] >> bit & 1) != 0 && (s.whole_ || s.MatchesAt(p + bit)))
                    return {from + bit, n};
            }
        }
    }
#endif
    return {};
}

#ifdef QV_AVX2
// Thirty-two places a turn; the first bytes are read once for every needle.
__attribute__((target("avx2"))) TextSearchSet::Hit TextSearchSet::FindAvx2(
    const unsigned char* t, std::size_t size, std::size_t& from) const {
    const std::size_t count = searches_.size();
    std::array<Either256, kMaxNeedles> f, l;
    for (std::size_t n = 0; n < count; ++n) {
        f[n] = Wide256(Either(searches_[n].first_));
        l[n] = Wide256(Either(searches_[n].last_));
    }
    for (; from + longest_ + 31 <= size; from += 32) {
        const unsigned char* p = t + from;
        std::array<std::uint32_t, kMaxNeedles> masks{};
        __m256i any = _mm256_setzero_si256();
        __m256i hits[kMaxNeedles];
        for (std::size_t n = 0; n < count; ++n) {
            hits[n] = _mm256_and_si256(Is(p, f[n]), Is(p + searches_[n].length_ - 1, l[n]));
            any = _mm256_or_si256(any, hits[n]);
        }
        if (_mm256_testz_si256(any, any)) continue;
        std::uint32_t all = 0;
        for (std::size_t n = 0; n < count; ++n) {
            masks[n] = static_cast<std::uint32_t>(_mm256_movemask_epi8(hits[n]));
            all |= masks[n];
        }
        for (; all != 0; all &= all - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(all));
            for (std::size_t n = 0; n < count; ++n) {
                const TextSearch& s = searches_[n];
                if ((masks[n] >> bit & 1) != 0 && (s.whole_ || s.MatchesAt(p + bit)))
                    return {from + bit, n};
            }
        }
    }
    return {};
}

// The same, sixty-four places a turn.
__attribute__((target("avx512bw"))) TextSearchSet::Hit TextSearchSet::FindAvx512(
    const unsigned char* t, std::size_t size, std::size_t& from) const {
    const std::size_t count = searches_.size();
    std::array<Either512, kMaxNeedles> f, l;
    for (std::size_t n = 0; n < count; ++n) {
        f[n] = Wide512(Either(searches_[n].first_));
        l[n] = Wide512(Either(searches_[n].last_));
    }
    for (; from + longest_ + 63 <= size; from += 64) {
        const unsigned char* p = t + from;
        std::array<__mmask64, kMaxNeedles> masks;
        __mmask64 any = 0;
        for (std::size_t n = 0; n < count; ++n) {
            masks[n] = Is(p, f[n]) & Is(p + searches_[n].length_ - 1, l[n]);
            any |= masks[n];
        }
        for (; any != 0; any &= any - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(any));
            for (std::size_t n = 0; n < count; ++n) {
                const TextSearch& s = searches_[n];
                if ((masks[n] >> bit & 1) != 0 && (s.whole_ || s.MatchesAt(p + bit)))
                    return {from + bit, n};
            }
        }
    }
    return {};
}
#endif

TextSearchSet::Hit TextSearchSet::Find(std::string_view text, std::size_t from,
                                       std::size_t firstNeedle) const {
    if (searches_.empty() || from > text.size()) return {};
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    if (firstNeedle > 0) {
        if (const Hit hit = At(t, text.size(), from, firstNeedle); hit.at != std::string_view::npos)
            return hit;
        ++from;
    }
    if (const Hit hit = FindWide(t, text.size(), from); hit.at != std::string_view::npos)
        return hit;
    for (; from <= text.size(); ++from) {
        if (const Hit hit = At(t, text.size(), from); hit.at != std::string_view::npos) return hit;
    }
    return {};
}

}  // namespace activity
