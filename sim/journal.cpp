#include "journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

namespace sim {

Journal::~Journal() {
    if (fd_ >= 0) ::close(fd_);
}

bool Journal::Open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

bool Journal::Record(std::string_view component, std::string_view path, std::string_view text) {
    if (fd_ < 0) return true;
    std::string record;
    record.reserve(component.size() + path.size() + text.size() + 3);
    record.append(component).append("\t").append(path).append("\t").append(text).append("\n");
    // One write per record: O_APPEND keeps it whole for a reader.
    std::string_view rest = record;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd_, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::vector<JournalEntry> ReadJournal(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<JournalEntry> entries;
    std::size_t start = 0;
    for (std::size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view record = std::string_view(all).substr(start, end - start);
        const std::size_t tab1 = record.find('\t');
        const std::size_t tab2 =
            tab1 == std::string_view::npos ? tab1 : record.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) continue;
        entries.push_back({std::string(record.substr(0, tab1)),
                           std::string(record.substr(tab1 + 1, tab2 - tab1 - 1)),
                           std::string(record.substr(tab2 + 1))});
    }
    return entries;
}

}  // namespace sim
