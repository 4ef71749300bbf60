#include "prefix_snapshot.h"

#include <sys/stat.h>

#include <system_error>

namespace {

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

Snapshot TakeSnapshot(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    Snapshot snapshot;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat st {};
        if (lstat(it->path().c_str(), &st) != 0) continue;
        EntryState state{
            st.st_mode, st.st_ino, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim),
            {}};
        if (S_ISLNK(st.st_mode)) state.target = fs::read_symlink(it->path(), ec).string();
        snapshot[fs::relative(it->path(), root).string()] = state;
    }
    return snapshot;
}
