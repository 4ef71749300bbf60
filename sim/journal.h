#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

// What the simulator wrote, one record per whole line: the component, the
// file on disk and the line's text in UTF-8 without its terminator. Written
// only once the line is complete, so a reader never sees half a record.
struct JournalEntry {
    std::string component;
    std::string path;
    std::string text;
};

class Journal {
  public:
    Journal() = default;
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Appends to `path`, creating it; false when it cannot be opened.
    bool Open(const std::string& path);
    bool Record(std::string_view component, std::string_view path, std::string_view text);

  private:
    int fd_ = -1;
};

// The records of a journal file, in the order they were written; a last
// record without its newline (still being written) is left out.
std::vector<JournalEntry> ReadJournal(const std::string& path);

}  // namespace sim
