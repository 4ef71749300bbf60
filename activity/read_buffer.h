#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "log_file.h"

namespace activity {

// File bytes waiting to be split into lines: filled at growing offsets,
// consumed from the front. What is left unconsumed, an unfinished line, moves
// to the front before the next fill, so the memory is one chunk and a line.
class ReadBuffer {
  public:
    static constexpr std::size_t kChunk = std::size_t{1} << 20;

    // Empties it, with room for `bytes` (at most a chunk and `lineBytes`).
    void Reset(std::size_t bytes, std::size_t lineBytes) {
        bytes_.resize(std::min(bytes, kChunk + lineBytes + 1));
        begin_ = end_ = 0;
    }
    // Appends up to `max` bytes read at `offset`: the count, <= 0 at the end
    // or on failure.
    std::int64_t Fill(const LogFile& file, std::int64_t offset, std::size_t max) {
        if (begin_ > 0) {
            std::memmove(bytes_.data(), bytes_.data() + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        const std::int64_t got =
            file.ReadAt(offset, bytes_.data() + end_, std::min(max, bytes_.size() - end_));
        if (got > 0) end_ += static_cast<std::size_t>(got);
        return got;
    }
    std::string_view Data() const { return {bytes_.data() + begin_, end_ - begin_}; }
    void Consume(std::size_t n) { begin_ += n; }
    // A burst's memory goes once it has been read.
    void Trim(std::size_t keep) {
        if (bytes_.capacity() > keep) std::vector<char>().swap(bytes_);
    }

  private:
    std::vector<char> bytes_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

}  // namespace activity
