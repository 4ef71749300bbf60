#include "line_splitter.h"

#include <algorithm>
#include <cstring>

namespace activity {

namespace {

void Emit(std::string_view line, const CodePageDecoder& decoder, EntryBatch& out) {
    // No code page has characters shorter than a byte.
    if (line.size() <= kShortLineChars) return;
    if (decoder.Append(line, out.OpenText()) > kShortLineChars) {
        out.CloseEntry();
    } else {
        out.DropOpen();
    }
}

}  // namespace

std::size_t SplitLines(std::string_view data, bool flushTail, bool& afterCr,
                       const CodePageDecoder& decoder, EntryBatch& out) {
    std::size_t pos = 0;
    if (afterCr && !data.empty()) {
        if (data[0] == '\n') pos = 1;
        afterCr = false;
    }
    while (pos < data.size()) {
        const char* start = data.data() + pos;
        const std::size_t avail = data.size() - pos;
        // A CR within one byte past the limit still ends a line of full size.
        const std::size_t window = std::min(avail, kMaxLineBytes + 1);
        const auto* cr = static_cast<const char*>(std::memchr(start, '\r', window));
        if (cr != nullptr) {
            const auto length = static_cast<std::size_t>(cr - start);
            Emit({start, length}, decoder, out);
            pos += length + 1;
            if (pos == data.size()) {
                afterCr = true;  // its LF, if any, comes with the next data
            } else if (data[pos] == '\n') {
                ++pos;
            }
            continue;
        }
        if (avail > kMaxLineBytes) {
            std::size_t cut = decoder.CutPoint({start, avail}, kMaxLineBytes);
            if (cut == 0) cut = kMaxLineBytes;
            Emit({start, cut}, decoder, out);
            pos += cut;
            continue;
        }
        if (!flushTail) break;
        Emit({start, avail}, decoder, out);
        pos = data.size();
    }
    return pos;
}

std::size_t NextLineStart(std::string_view data) {
    const std::size_t cr = data.rfind('\r');
    if (cr == std::string_view::npos) return cr;
    return cr + 1 + (cr + 1 < data.size() && data[cr + 1] == '\n' ? 1 : 0);
}

}  // namespace activity
