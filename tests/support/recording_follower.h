#pragma once

#include <filesystem>
#include <fstream>

#include "activity_follower.h"
#include "test_server.h"

using Lines = std::vector<std::string>;

// The server's settings naming SMTP's log folder, and that log's local path.
struct SmtpServer : TestServer {
    SmtpServer() { SetDirectory("Connectors\\SMTP", WindowsLogDir()); }
    std::filesystem::path Day(const std::string& stamp = "261206") const {
        return LocalLogDir() / ("SMTP-Activity-" + stamp + ".log");
    }
};

inline Lines ToLines(const activity::EntryBatch& batch) {
    Lines out;
    for (std::size_t i = 0; i < batch.size(); ++i) out.emplace_back(batch[i]);
    return out;
}

// SMTP's follower, keeping what it lists, on a clock the test sets.
class RecordingFollower : public activity::ActivityFollower {
  public:
    activity::LocalDate today{2026, 12, 6};
    Lines entries;
    int batches = 0;

    RecordingFollower()
        : ActivityFollower("SMTP", activity::SettingsBranch::Connectors,
                           [this](const activity::EntryBatch& batch) {
                               ++batches;
                               const Lines lines = ToLines(batch);
                               entries.insert(entries.end(), lines.begin(), lines.end());
                           }) {
        SetClock([this] { return today; });
    }
    // What the next scan lists.
    Lines Scan() {
        entries.clear();
        ScanFile();
        return entries;
    }
};

inline void AppendBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

// The size of a file; 0 when there is none.
inline std::int64_t FileSize(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    return ec ? 0 : static_cast<std::int64_t>(size);
}

inline std::string Rep(std::string_view text, std::size_t times) {
    std::string out;
    while (times-- > 0) out += text;
    return out;
}
