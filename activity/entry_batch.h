#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace activity {

// The entries one scan found, as UTF-8 text packed end to end: one allocation
// for the text and one offset per entry, so a burst of millions of lines costs
// little more than its bytes. Reused from scan to scan by the follower.
class EntryBatch {
  public:
    void clear() {
        text_.clear();
        ends_.clear();
    }
    bool empty() const { return ends_.empty(); }
    std::size_t size() const { return ends_.size(); }

    std::string_view operator[](std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(begin, ends_[i] - begin);
    }

    // The text of every entry back to back; entry i ends at ends()[i].
    const std::string& text() const { return text_; }
    const std::vector<std::size_t>& ends() const { return ends_; }

    // Decoders write straight into the text buffer, then close the entry here;
    // DropOpen() forgets what was written since the last CloseEntry().
    std::string& OpenText() { return text_; }
    void CloseEntry() { ends_.push_back(text_.size()); }
    void DropOpen() { text_.resize(ends_.empty() ? 0 : ends_.back()); }

    // Empties it, giving back what a burst made it hold beyond `keep` bytes.
    void Trim(std::size_t keep) {
        clear();
        if (text_.capacity() > keep) std::string().swap(text_);
        if (ends_.capacity() * sizeof(std::size_t) > keep) std::vector<std::size_t>().swap(ends_);
    }

    void Append(std::string_view utf8) {
        text_.append(utf8);
        CloseEntry();
    }

  private:
    std::string text_;
    std::vector<std::size_t> ends_;
};

}  // namespace activity
