// Any bytes cut into any chunks give the entries of one pass over the whole,
// in every code page the server may write; each entry is valid UTF-8 of more
// than kShortLineChars characters.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "code_page.h"
#include "line_splitter.h"

namespace {

using activity::CodePageDecoder;
using activity::EntryBatch;

// Made once: a double-byte code page asks the platform 65,536 questions.
const CodePageDecoder& Decoder(std::size_t which) {
    static const std::array<std::unique_ptr<CodePageDecoder>, 3> decoders = {
        std::make_unique<CodePageDecoder>(activity::OpenCodePage(1252)),
        std::make_unique<CodePageDecoder>(activity::OpenCodePage(932)),
        std::make_unique<CodePageDecoder>(activity::OpenCodePage(65001)),
    };
    return *decoders[which];
}

void Check(bool ok) {
    if (!ok) std::abort();
}

// Characters in valid UTF-8, or SIZE_MAX when it is not.
std::size_t Utf8Chars(std::string_view s) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++chars) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80 ? 1 : b < 0xC2 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (len == 0 || i + len > s.size()) return SIZE_MAX;
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return SIZE_MAX;
        }
        i += len;
    }
    return chars;
}

// Feeds `stream` in chunks of the given sizes, each call getting the
// unconsumed rest plus the next chunk; returns the bytes consumed. Where a bit
// of `rescans` is set, the state is taken afresh from the byte before, as a
// new scan of the follower takes it.
std::size_t Feed(std::string_view stream, const std::vector<std::size_t>& sizes,
                 std::uint32_t rescans, bool flush, const CodePageDecoder& decoder,
                 EntryBatch& out) {
    std::string pending;
    std::size_t consumed = 0;
    std::size_t at = 0;
    bool afterCr = false;
    for (std::size_t i = 0; at < stream.size() || i == 0; ++i) {
        const std::size_t size = i < sizes.size() ? sizes[i] : stream.size() - at;
        const std::size_t take = std::min(size, stream.size() - at);
        pending.append(stream.substr(at, take));
        at += take;
        const bool last = at == stream.size();
        const std::size_t used =
            activity::SplitLines(pending, flush && last, afterCr, decoder, out);
        Check(used <= pending.size());
        pending.erase(0, used);
        consumed += used;
        if ((rescans >> (i % 32)) & 1) afterCr = consumed > 0 && stream[consumed - 1] == '\r';
        if (last) break;
    }
    return consumed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const CodePageDecoder& decoder = Decoder(in.ConsumeIntegralInRange<std::size_t>(0, 2));
    const bool flush = in.ConsumeBool();
    // A run of a short pattern put in somewhere reaches lines over
    // kMaxLineBytes from small inputs, cut inside multi-byte characters: now
    // and then, as long runs make slow executions.
    const bool run = in.ConsumeIntegral<std::uint8_t>() >= 240;
    const std::size_t runLength =
        run ? in.ConsumeIntegralInRange<std::size_t>(1, 2) * activity::kMaxLineBytes - 256 +
                  in.ConsumeIntegralInRange<std::size_t>(0, 512)
            : 0;
    const std::string pattern =
        in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(1, 4));
    const auto runAt = in.ConsumeIntegral<std::uint16_t>();
    const auto rescans = in.ConsumeIntegral<std::uint32_t>();
    std::vector<std::size_t> sizes(in.ConsumeIntegralInRange<std::size_t>(0, 32));
    for (std::size_t& s : sizes) {
        s = in.ConsumeBool()
                ? in.ConsumeIntegralInRange<std::size_t>(0, 8)
                : in.ConsumeIntegralInRange<std::size_t>(0, 2 * activity::kMaxLineBytes);
    }
    std::string stream = in.ConsumeRemainingBytesAsString();
    std::string runBytes;
    while (!pattern.empty() && runBytes.size() < runLength) runBytes += pattern;
    runBytes.resize(std::min(runBytes.size(), runLength));
    stream.insert(std::min<std::size_t>(runAt, stream.size()), runBytes);

    EntryBatch whole;
    bool afterCr = false;
    const std::size_t wholeUsed = activity::SplitLines(stream, flush, afterCr, decoder, whole);
    Check(wholeUsed <= stream.size());
    if (flush) Check(wholeUsed == stream.size());

    EntryBatch chunked;
    Check(Feed(stream, sizes, rescans, flush, decoder, chunked) == wholeUsed);
    Check(chunked.text() == whole.text() && chunked.ends() == whole.ends());

    for (std::size_t i = 0; i < whole.size(); ++i) {
        const std::size_t chars = Utf8Chars(whole[i]);
        Check(chars != SIZE_MAX && chars > activity::kShortLineChars);
        // A piece holds at most kMaxLineBytes bytes, each at most 3 bytes of UTF-8.
        Check(chars <= activity::kMaxLineBytes && whole[i].size() <= 3 * activity::kMaxLineBytes);
    }
    return 0;
}
