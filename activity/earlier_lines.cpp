#include "earlier_lines.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "line_splitter.h"

namespace activity {

namespace {

// A slice that finds no line end looks this much further back before it
// takes its first byte for a line start: a line of more than that is listed
// in pieces from there.
constexpr int kWidenings = 4;

// Where the first line that starts in `data` (not at its first byte) starts;
// npos when no line ends before its last byte. The data ends at a line start.
std::size_t FirstLineStart(std::string_view data) {
    const std::size_t cr = data.find('\r');
    if (cr == std::string_view::npos || cr + 1 >= data.size()) return std::string_view::npos;
    const std::size_t start = cr + 1 + (data[cr + 1] == '\n' ? 1 : 0);
    return start < data.size() ? start : std::string_view::npos;
}

}  // namespace

EarlierLines::EarlierLines(const ListingStart& start)
    : start_(start), position_(start.identityKnown ? start.offset : 0) {
    if (position_ == 0) end_ = End::Start;
}

int EarlierLines::Percent() const {
    if (start_.offset <= 0) return 100;
    return static_cast<int>((start_.offset - position_) * 100 / start_.offset);
}

bool EarlierLines::ReadSlice(std::size_t budget, EntryBatch& out) {
    out.clear();
    if (end_ != End::None) return false;
    const LogFile file(start_.file);
    std::int64_t size = 0;
    FileIdentity identity;
    // Lines of another file, or of what replaced the listed ones, would be
    // listed twice or in pieces: the follower lists those from the start.
    if (!file.Query(size, identity) || identity != start_.identity || size < start_.offset) {
        end_ = End::Changed;
        return false;
    }
    budget = std::max(budget, kMaxLineBytes + 1);
    std::vector<char> bytes;
    std::size_t begin = 0;  // where the slice's first whole line starts in `bytes`
    std::int64_t from = position_;
    for (int widen = 0; widen <= kWidenings; ++widen) {
        from = std::max<std::int64_t>(0, position_ - static_cast<std::int64_t>(budget) *
                                                         static_cast<std::int64_t>(widen + 1));
        bytes.resize(static_cast<std::size_t>(position_ - from));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const std::int64_t n = file.ReadAt(from + static_cast<std::int64_t>(got),
                                               bytes.data() + got, bytes.size() - got);
            if (n <= 0) {
                end_ = End::Changed;  // cut short under us
                return false;
            }
            got += static_cast<std::size_t>(n);
        }
        if (from == 0) break;
        begin = FirstLineStart({bytes.data(), bytes.size()});
        if (begin != std::string_view::npos) break;
        begin = 0;
    }
    bool afterCr = false;
    SplitLines({bytes.data() + begin, bytes.size() - begin}, true, afterCr, SystemDecoder(), out);
    position_ = from + static_cast<std::int64_t>(begin);
    if (position_ == 0) end_ = End::Start;
    return true;
}

}  // namespace activity
