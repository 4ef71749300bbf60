#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

// Everything about each entry of a folder tree that a writer could change,
// symbolic links taken as they are.
struct EntryState {
    unsigned mode = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // ns
    std::int64_t changed = 0;   // ns
    std::string target;         // of a link
    bool operator==(const EntryState&) const = default;
};

// By path relative to `root`.
using Snapshot = std::map<std::string, EntryState>;

Snapshot TakeSnapshot(const std::filesystem::path& root);
