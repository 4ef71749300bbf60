#include "text_search.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <tuple>

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

std::atomic<int> vectorLimit{2};

#ifdef QV_AVX2
// 2 for AVX-512BW, 1 for AVX2, else 0; the processor asked once.
int VectorLevel() {
    static const int level = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512bw")) return 2;
        return __builtin_cpu_supports("avx2") ? 1 : 0;
    }();
    return std::min(level, vectorLimit.load(std::memory_order_relaxed));
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

namespace {

// How often a byte turns up in a log line, roughly: spaces and common letters
// (as in English, capitals less), digits, signs, and bytes past ASCII seldom.
// What tells windows apart that the text's sample does not.
int Commonness(unsigned char b) {
    if (b >= 0x80) return 1;
    if (b == ' ') return 100;
    if (b >= '0' && b <= '9') return 30;
    constexpr std::string_view kLetters = "etaoinsrhldcumfpgwybvkxjqz";
    if (const std::size_t i = kLetters.find(static_cast<char>(AsciiLower(b)));
        i != std::string_view::npos) {
        const int often = 80 - 3 * static_cast<int>(i);
        return b >= 'a' ? often : often / 4;
    }
    return b == '.'                                                                        ? 40
           : std::string_view(",:-/").find(static_cast<char>(b)) != std::string_view::npos ? 25
                                                                                           : 10;
}

// How often each run of three bytes turns up in pieces spread over a text,
// by a hash (a clash only makes a run look commoner). A log's own words make
// their letters common whatever English does: "size=" on every line.
class TrigramCounts {
  public:
    explicit TrigramCounts(std::string_view text) {
        constexpr std::size_t kPieces = 8, kPiece = 2048;
        const std::size_t stride = std::max(text.size() / kPieces, kPiece);
        for (std::size_t start = 0; start < text.size(); start += stride) {
            const std::string_view piece = text.substr(start, kPiece);
            for (std::size_t i = 0; i + 2 < piece.size(); ++i) {
                std::uint16_t& count = counts_[Hash(static_cast<unsigned char>(piece[i]),
                                                    static_cast<unsigned char>(piece[i + 1]),
                                                    static_cast<unsigned char>(piece[i + 2]))];
                count = static_cast<std::uint16_t>(count + (count < UINT16_MAX ? 1 : 0));
            }
        }
    }
    unsigned Count(unsigned char a, unsigned char b, unsigned char c) const {
        return counts_[Hash(a, b, c)];
    }

  private:
    static std::size_t Hash(unsigned char a, unsigned char b, unsigned char c) {
        return (std::uint32_t{a} << 16 | std::uint32_t{b} << 8 | c) * 0x9E3779B1u >> (32 - 14);
    }
    std::array<std::uint16_t, 1 << 14> counts_{};
};

}  // namespace

TextSearchSet::TextSearchSet(std::vector<TextSearch> searches) : searches_(std::move(searches)) {
    if (searches_.size() > kMaxNeedles)
        searches_.erase(searches_.begin() + kMaxNeedles, searches_.end());
    tables_ = std::all_of(searches_.begin(), searches_.end(),
                          [](const TextSearch& s) { return s.length_ > 0; });
}

// Each needle's window, the one whose bytes turn up least in the text's
// sample (then the rarest by Commonness), and the tables that let through
// the places where a window may start.
struct TextSearchSet::Tables {
    std::array<std::size_t, kMaxNeedles> window{};
    alignas(16) std::array<std::array<std::uint8_t, 16>, kWindow> low{}, high{};

    Tables(const std::vector<TextSearch>& searches, std::string_view text) {
        const TrigramCounts counts(text);
        for (std::size_t n = 0; n < searches.size(); ++n) {
            const TextSearch& s = searches[n];
            const std::size_t width = std::min(s.length_, kWindow);
            // The bytes each place may hold: most often the one or two of a letter's cases.
            std::vector<std::vector<unsigned char>> bytes(s.length_);
            std::vector<double> often(s.length_);
            for (std::size_t j = 0; j < s.length_; ++j) {
                int sum = 0;
                for (std::size_t b = 0; b < 256; ++b) {
                    if (!s.accept_[j][b]) continue;
                    bytes[j].push_back(static_cast<unsigned char>(b));
                    sum += Commonness(static_cast<unsigned char>(b));
                }
                often[j] = std::log(sum + 1);
            }
            std::pair<std::uint64_t, double> best{UINT64_MAX, INFINITY};
            for (std::size_t j = 0; width == kWindow && j + kWindow <= s.length_; ++j) {
                const auto& [a, b, c] = std::tie(bytes[j], bytes[j + 1], bytes[j + 2]);
                std::uint64_t seen = 0;
                if (a.size() * b.size() * c.size() > 8) {
                    seen = UINT32_MAX;  // too many forms to count: the guess decides among such
                } else {
                    for (unsigned char x : a)
                        for (unsigned char y : b)
                            for (unsigned char z : c) seen += counts.Count(x, y, z);
                }
                const std::pair<std::uint64_t, double> score{
                    seen, often[j] + often[j + 1] + often[j + 2]};
                if (score < best) {
                    best = score;
                    window[n] = j;
                }
            }
            const auto bucket = static_cast<std::uint8_t>(1u << (n % kBuckets));
            for (std::size_t i = 0; i < kWindow; ++i) {
                for (std::size_t b = 0; b < 256; ++b) {
                    // Past a short needle's end any byte will do.
                    if (i < width && !s.accept_[window[n] + i][b]) continue;
                    low[i][b & 15] |= bucket;
                    high[i][b >> 4] |= bucket;
                }
            }
        }
    }
};

// The places the tables let through, in rising order, each checked for the
// needles of its buckets.
struct TextSearchSet::Walk {
    const TextSearchSet& set;
    const Tables& tables;
    const unsigned char* text;
    const std::vector<std::size_t>& ends;
    int* firsts;
    int offset;
    std::size_t k = 0;  // the entry of the last place

    // The place `q` is where the windows of the needles in `buckets` may start.
    [[gnu::noinline]] void Probe(std::size_t q, unsigned buckets) {
        while (ends[k] <= q) ++k;
        for (; buckets != 0; buckets &= buckets - 1) {
            for (auto n = static_cast<std::size_t>(std::countr_zero(buckets));
                 n < set.searches_.size(); n += kBuckets)
                Try(q, n);
        }
    }

    void Try(std::size_t q, std::size_t n) {
        const std::size_t window = tables.window[n];
        if (q < window) return;
        const std::size_t start = q - window;
        std::size_t e = k;
        while (e > 0 && ends[e - 1] > start) --e;
        const int found = offset + static_cast<int>(n);
        if (firsts[e] >= 0 && firsts[e] <= found) return;  // nothing to learn here
        const TextSearch& search = set.searches_[n];
        if (start + search.length_ > ends[e] || !search.MatchesAt(text + start)) return;
        firsts[e] = found;
    }
};

#ifdef QV_AVX2
constexpr std::size_t kAhead = 1024;  // bytes

// Thirty-two places a turn: a byte of `m` a place, its bits the buckets whose
// windows may start there.
__attribute__((target("avx2"))) void TextSearchSet::ScanAvx2(Walk& walk, std::size_t& q) const {
    const std::size_t size = walk.ends.back();
    const __m256i nibble = _mm256_set1_epi8(0x0f);
    __m256i low[kWindow], high[kWindow];
    for (std::size_t i = 0; i < kWindow; ++i) {
        low[i] = _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(walk.tables.low[i].data())));
        high[i] = _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(walk.tables.high[i].data())));
    }
    alignas(32) std::array<std::uint8_t, 32> buckets;
    const unsigned char* const text = walk.text;
    std::size_t at = q;
    for (; at + kWindow - 1 + 32 <= size; at += 32) {
        const unsigned char* p = text + at;
        // A turn does more than the memory brings in by itself: ask ahead.
        _mm_prefetch(reinterpret_cast<const char*>(p) + kAhead, _MM_HINT_T0);
        __m256i m = _mm256_set1_epi8(-1);
        for (std::size_t i = 0; i < kWindow; ++i) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
            const __m256i lo = _mm256_shuffle_epi8(low[i], _mm256_and_si256(x, nibble));
            const __m256i hi =
                _mm256_shuffle_epi8(high[i], _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble));
            m = _mm256_and_si256(m, _mm256_and_si256(lo, hi));
        }
        if (_mm256_testz_si256(m, m)) continue;
        _mm256_store_si256(reinterpret_cast<__m256i*>(buckets.data()), m);
        auto places = ~static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(m, _mm256_setzero_si256())));
        for (; places != 0; places &= places - 1) {
            const auto i = static_cast<std::size_t>(std::countr_zero(places));
            walk.Probe(at + i, buckets[i]);
        }
    }
    q = at;
}

// The same, sixty-four places a turn.
__attribute__((target("avx512bw"))) void TextSearchSet::ScanAvx512(Walk& walk,
                                                                   std::size_t& q) const {
    const std::size_t size = walk.ends.back();
    const __m512i nibble = _mm512_set1_epi8(0x0f);
    __m512i low[kWindow], high[kWindow];
    for (std::size_t i = 0; i < kWindow; ++i) {
        low[i] = _mm512_maskz_broadcast_i32x4(
            0xffff, _mm_load_si128(reinterpret_cast<const __m128i*>(walk.tables.low[i].data())));
        high[i] = _mm512_maskz_broadcast_i32x4(
            0xffff, _mm_load_si128(reinterpret_cast<const __m128i*>(walk.tables.high[i].data())));
    }
    alignas(64) std::array<std::uint8_t, 64> buckets;
    const unsigned char* const text = walk.text;
    std::size_t at = q;
    for (; at + kWindow - 1 + 64 <= size; at += 64) {
        const unsigned char* p = text + at;
        _mm_prefetch(reinterpret_cast<const char*>(p) + kAhead, _MM_HINT_T0);
        __m512i m = _mm512_set1_epi8(-1);
        for (std::size_t i = 0; i < kWindow; ++i) {
            const __m512i x = _mm512_loadu_si512(p + i);
            const __m512i lo = _mm512_shuffle_epi8(low[i], _mm512_and_si512(x, nibble));
            const __m512i hi =
                _mm512_shuffle_epi8(high[i], _mm512_and_si512(_mm512_srli_epi16(x, 4), nibble));
            m = _mm512_and_si512(m, _mm512_and_si512(lo, hi));
        }
        std::uint64_t places = _mm512_test_epi8_mask(m, m);
        if (places == 0) continue;
        _mm512_store_si512(buckets.data(), m);
        for (; places != 0; places &= places - 1) {
            const auto i = static_cast<std::size_t>(std::countr_zero(places));
            walk.Probe(at + i, buckets[i]);
        }
    }
    q = at;
}
#endif

void TextSearchSet::LowerToFirst(std::string_view text, const std::vector<std::size_t>& ends,
                                 int* firsts, int offset) const {
    if (searches_.empty() || ends.empty()) return;
    text = text.substr(0, ends.back());
    int level = 0;
#ifdef QV_AVX2
    level = VectorLevel();
#endif
    if (!tables_ || level == 0) {
        // One pass a needle, the filter's.
        for (std::size_t n = 0; n < searches_.size(); ++n) {
            const int found = offset + static_cast<int>(n);
            ForEachMatchingEntry(searches_[n], text, 0, ends, [firsts, found](std::size_t k) {
                if (firsts[k] < 0 || firsts[k] > found) firsts[k] = found;
            });
        }
        return;
    }
    const Tables tables(searches_, text);
    Walk walk{*this, tables, reinterpret_cast<const unsigned char*>(text.data()),
              ends,  firsts, offset};
    std::size_t q = 0;
#ifdef QV_AVX2
    if (level == 2) {
        ScanAvx512(walk, q);
    } else {
        ScanAvx2(walk, q);
    }
#endif
    // The last places, too near the end for a whole turn: every needle.
    const auto all = static_cast<unsigned>((1u << std::min(searches_.size(), kBuckets)) - 1);
    for (; q < text.size(); ++q) walk.Probe(q, all);
}

void LimitVectorLevel(int level) {
    vectorLimit.store(level, std::memory_order_relaxed);
}

}  // namespace activity
