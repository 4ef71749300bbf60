#include "activity_follower.h"

#include <algorithm>
#include <cstring>

#include "code_page.h"
#include "components.h"
#include "line_splitter.h"
#include "log_naming.h"

namespace activity {

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kBufferSize = kChunk + kMaxLineBytes + 1;
// What a follower keeps between scans for the few lines of an ordinary tick;
// a burst's buffers go once it has caught up, as seven of them add up.
constexpr std::size_t kKeptBytes = std::size_t{64} << 10;

}  // namespace

ActivityFollower::ActivityFollower() : clock_(SystemLocalDate) {}

ActivityFollower::~ActivityFollower() = default;

std::string ActivityFollower::GetLoggingDirectory() const {
    return LogDirectory(ServiceName, ServiceType);
}

std::string ActivityFollower::GetActiveFileName() const {
    return ActiveFileName(loggingDirectory_, ServiceName, clock_());
}

std::int64_t ActivityFollower::GetLastActivity() const {
    const LogFile file(GetActiveFileName());
    std::int64_t size = 0;
    FileIdentity identity;
    return file.Query(size, identity) ? size : 0;
}

void ActivityFollower::Initialise() {
    loggingDirectory_ = GetLoggingDirectory();
    followedFile_ = GetActiveFileName();
    identityKnown_ = false;
    readPosition_ = 0;
    if (LoadHistoricData) {
        ScanFile();
        return;
    }
    const LogFile file(followedFile_);
    std::int64_t size = 0;
    if (!Saw(file, followedFile_) || !file.Query(size, followedIdentity_)) return;
    identityKnown_ = true;
    readPosition_ = size;
    if (size == 0) return;
    // Start after the last whole line, so that a line the server is still
    // writing is listed whole once it ends, not as a fragment.
    const std::int64_t back = std::min<std::int64_t>(size, kMaxLineBytes);
    std::string tail(static_cast<std::size_t>(back), '\0');
    if (file.ReadAt(size - back, tail.data(), tail.size()) != back) return;
    const std::size_t cr = tail.rfind('\r');
    if (cr == std::string::npos) {
        if (size <= static_cast<std::int64_t>(kMaxLineBytes)) readPosition_ = 0;
    } else if (cr + 1 < tail.size()) {
        readPosition_ =
            size - back + static_cast<std::int64_t>(cr + 1) + (tail[cr + 1] == '\n' ? 1 : 0);
    }
}

void ActivityFollower::ScanFile() {
    ScanSlice(SIZE_MAX);
}

bool ActivityFollower::ScanSlice(std::size_t budget) {
    // Room for a whole line, so that every slice moves on.
    budget = std::max(budget, kMaxLineBytes + 1);
    batch_.clear();
    status_.restart = Restart::None;
    const std::string name = GetActiveFileName();
    if (followedFile_.empty()) followedFile_ = name;
    bool more = false;
    if (name != followedFile_) {
        // A new day: what the previous day's file gained comes first, all of it.
        more = ReadFrom(followedFile_, true, budget);
        if (!more) {
            followedFile_ = name;
            readPosition_ = 0;
            identityKnown_ = false;
        }
    }
    if (!more) more = ReadFrom(name, false, budget);
    if (!batch_.empty()) OnEntries(batch_);
    if (!more) {
        batch_.Trim(kKeptBytes);
        if (buffer_.capacity() > kKeptBytes) std::vector<char>().swap(buffer_);
    }
    return more;
}

bool ActivityFollower::Saw(const LogFile& file, const std::string& path) {
    status_.file = path;
    status_.state = file.State();
    // With no folder set, whatever fails at the path that leaves is down to that.
    if (loggingDirectory_.empty() && status_.state != ScanState::Following) {
        status_.state = ScanState::NoSetting;
    }
    return file.IsOpen();
}

bool ActivityFollower::ReadFrom(const std::string& path, bool flushTail, std::size_t budget) {
    const LogFile file(path);
    std::int64_t size = 0;
    FileIdentity identity;
    if (!Saw(file, path) || !file.Query(size, identity)) return false;
    // Truncated, or replaced by another file: read it from its first byte.
    if (identityKnown_ && identity != followedIdentity_) {
        status_.restart = Restart::Replaced;
    } else if (size < readPosition_) {
        status_.restart = Restart::Truncated;
    }
    if (status_.restart != Restart::None) readPosition_ = 0;
    followedIdentity_ = identity;
    identityKnown_ = true;
    if (size == readPosition_) return false;

    const auto left = static_cast<std::uint64_t>(size - readPosition_);
    const std::int64_t stop =
        left <= budget ? size : readPosition_ + static_cast<std::int64_t>(budget);
    // The byte before the position tells whether an LF there ends a CR's line.
    std::int64_t next = readPosition_ > 0 ? readPosition_ - 1 : 0;
    // The buffer a whole read needs, up to a chunk and a line.
    buffer_.resize(std::min(kBufferSize, static_cast<std::size_t>(stop - next)));
    std::size_t begin = 0;
    std::size_t have = 0;
    bool afterCr = false;
    while (next < stop) {
        if (begin > 0) {
            std::memmove(buffer_.data(), buffer_.data() + begin, have - begin);
            have -= begin;
            begin = 0;
        }
        const std::size_t want =
            std::min<std::size_t>(buffer_.size() - have, static_cast<std::size_t>(stop - next));
        const std::int64_t got = file.ReadAt(next, buffer_.data() + have, want);
        if (got <= 0) return false;  // cut short under us: the next scan sees why
        if (next == readPosition_ - 1) {
            afterCr = buffer_[have] == '\r';
            begin = 1;
        }
        have += static_cast<std::size_t>(got);
        next += got;
        const std::size_t used =
            SplitLines({buffer_.data() + begin, have - begin}, flushTail && next >= size, afterCr,
                       SystemDecoder(), batch_);
        begin += used;
        readPosition_ += static_cast<std::int64_t>(used);
    }
    return stop < size;
}

}  // namespace activity
