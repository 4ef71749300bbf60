#pragma once

#include <cstddef>
#include <string_view>

#include "code_page.h"
#include "entry_batch.h"

namespace activity {

// Lines of log text: a CR, or a CR LF pair, ends a line; a lone LF is text.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;
// Lines of this many characters or fewer are not listed.
inline constexpr std::size_t kShortLineChars = 10;

// Splits `data`, which begins at a line start, into lines and appends those
// longer than kShortLineChars to `out`, decoded. A line over kMaxLineBytes is
// listed in pieces of at most that size, cut between characters.
//
// `afterCr` says the byte before `data` was a CR that ended a line, so a
// leading LF completes that terminator; it is updated for the next call.
// An unterminated tail is left unconsumed, unless `flushTail` lists it too.
// Returns the number of bytes consumed. Cutting a stream into any chunks and
// feeding each call the unconsumed rest plus the next chunk gives the same
// entries as one call over the whole.
std::size_t SplitLines(std::string_view data, bool flushTail, bool& afterCr,
                       const CodePageDecoder& decoder, EntryBatch& out);

// Where the line after the last terminator in `data` starts (data.size() when
// `data` ends in a CR, whose LF may come later); npos when no line ends in it.
std::size_t NextLineStart(std::string_view data);

}  // namespace activity
