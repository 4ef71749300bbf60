#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "entry_batch.h"
#include "log_file.h"

namespace activity {

// Where a window's listing of a file begins: the lines before `offset` are
// the file's earlier lines. `generation` changes whenever the listing starts
// anew (a start, a restart of the file, a new day, a Clear).
struct ListingStart {
    std::string file;
    FileIdentity identity;
    bool identityKnown = false;  // false until the file has been opened
    std::int64_t offset = 0;
    std::uint64_t generation = 0;
};

// Reads the lines of a file that come before a start, backwards a slice at a
// time, so that a reader that keeps only the newest lines pays for those, not
// for the whole file. Each slice's lines come in file order, with the same
// rules as a scan. Opens the file per slice, as a scan does.
class EarlierLines {
  public:
    enum class End { None, Start, Changed };

    explicit EarlierLines(const ListingStart& start);

    // Puts into `out` (emptied first) the whole lines of about `budget` bytes
    // just before those read so far; false once there are none left, and then
    // Ended() says why: the file's start, or a file that is no longer the one
    // the listing began in (replaced, or cut below the start).
    bool ReadSlice(std::size_t budget, EntryBatch& out);
    End Ended() const { return end_; }

    // Everything from here up to the start has been read.
    std::int64_t Position() const { return position_; }
    // How much of the way to the file's first byte has been read, 0 to 100.
    int Percent() const;

  private:
    const ListingStart start_;
    std::int64_t position_;
    End end_ = End::None;
};

}  // namespace activity
