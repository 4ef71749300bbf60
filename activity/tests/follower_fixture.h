#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "activity_follower.h"
#include "test_env.h"

// A follower that keeps what it lists, on a clock the test sets.
class RecordingFollower : public activity::ActivityFollower {
  public:
    activity::LocalDate today{2026, 12, 6};
    std::vector<std::string> entries;
    int batches = 0;

    RecordingFollower(const std::string& name, int type) {
        ServiceName = name;
        ServiceType = type;
        SetClock([this] { return today; });
    }

    // What the next scan lists.
    std::vector<std::string> Scan() {
        entries.clear();
        ScanFile();
        return entries;
    }

  protected:
    void OnEntries(const activity::EntryBatch& batch) override {
        ++batches;
        for (std::size_t i = 0; i < batch.size(); ++i) entries.emplace_back(batch[i]);
    }
};

inline void AppendBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << bytes;
}

inline std::int64_t FileSize(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

using Lines = std::vector<std::string>;
