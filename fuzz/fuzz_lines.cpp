// Any bytes cut into any chunks give the entries of one pass over the whole,
// in every code page the server may write; each entry is valid UTF-8 of more
// than kShortLineChars characters.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "code_page.h"
#include "line_splitter.h"
#include "utf.h"

namespace {

using activity::kMaxLineBytes;

void Check(bool ok) {
    if (!ok) std::abort();
}

// Characters in valid UTF-8, or SIZE_MAX when it is not.
std::size_t Utf8Chars(std::string_view s) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++chars) {
        const activity::Utf8Char c = activity::DecodeUtf8(s.substr(i));
        if (!c.valid) return SIZE_MAX;
        i += c.length;
    }
    return chars;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Made once: a double-byte code page asks the platform 65,536 questions.
    static const activity::CodePageDecoder cp1252(activity::OpenCodePage(1252)),
        cp932(activity::OpenCodePage(932)), utf8(activity::OpenCodePage(65001));
    const activity::CodePageDecoder* decoders[] = {&cp1252, &cp932, &utf8};
    FuzzedDataProvider in(data, size);
    const auto& decoder = *decoders[in.ConsumeIntegralInRange<std::size_t>(0, 2)];
    const bool flush = in.ConsumeBool();
    // A run of a short pattern put in somewhere reaches lines over
    // kMaxLineBytes from small inputs, cut inside multi-byte characters: now
    // and then, as long runs make slow executions.
    const bool run = in.ConsumeIntegral<std::uint8_t>() >= 240;
    const std::size_t runLength =
        run ? in.ConsumeIntegralInRange<std::size_t>(1, 2) * kMaxLineBytes - 256 +
                  in.ConsumeIntegralInRange<std::size_t>(0, 512)
            : 0;
    const std::string pattern =
        in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(1, 4));
    const auto runAt = in.ConsumeIntegral<std::uint16_t>();
    const auto rescans = in.ConsumeIntegral<std::uint32_t>();
    std::vector<std::size_t> sizes(in.ConsumeIntegralInRange<std::size_t>(0, 32));
    for (std::size_t& s : sizes) {
        s = in.ConsumeIntegralInRange<std::size_t>(0, in.ConsumeBool() ? 8 : 2 * kMaxLineBytes);
    }
    std::string stream = in.ConsumeRemainingBytesAsString();
    std::string runBytes;
    while (!pattern.empty() && runBytes.size() < runLength) runBytes += pattern;
    stream.insert(std::min<std::size_t>(runAt, stream.size()), runBytes.substr(0, runLength));

    activity::EntryBatch whole, chunked;
    bool afterCr = false;
    const std::size_t used = activity::SplitLines(stream, flush, afterCr, decoder, whole);
    Check(used <= stream.size() && (!flush || used == stream.size()));
    // In chunks of the given sizes, each call getting the unconsumed rest and
    // the next chunk. Where a bit of `rescans` is set, the state is taken
    // afresh from the byte before, as a new scan of the follower takes it.
    std::string pending;
    std::size_t consumed = 0, at = 0;
    afterCr = false;
    for (std::size_t i = 0;; ++i) {
        const std::size_t take =
            std::min(i < sizes.size() ? sizes[i] : stream.size(), stream.size() - at);
        pending.append(stream, at, take);
        at += take;
        const std::size_t n =
            activity::SplitLines(pending, flush && at == stream.size(), afterCr, decoder, chunked);
        pending.erase(0, n);
        consumed += n;
        if ((rescans >> (i % 32)) & 1) afterCr = consumed > 0 && stream[consumed - 1] == '\r';
        if (at == stream.size()) break;
    }
    Check(consumed == used && chunked.text() == whole.text() && chunked.ends() == whole.ends());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const std::size_t chars = Utf8Chars(whole[i]);
        // A piece holds at most kMaxLineBytes bytes, each at most 3 bytes of UTF-8.
        Check(chars != SIZE_MAX && chars > activity::kShortLineChars && chars <= kMaxLineBytes &&
              whole[i].size() <= 3 * kMaxLineBytes);
    }
    return 0;
}
