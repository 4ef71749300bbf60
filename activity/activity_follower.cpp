#include "activity_follower.h"

#include <algorithm>

#include "code_page.h"
#include "line_splitter.h"
#include "log_naming.h"

namespace activity {

namespace {

// What a follower keeps between scans for the few lines of an ordinary tick;
// a burst's buffers go once it has caught up, as seven of them add up.
constexpr std::size_t kKeptBytes = std::size_t{64} << 10;

}  // namespace

ActivityFollower::ActivityFollower(std::string serviceName, SettingsBranch branch, EntrySink sink)
    : serviceName_(std::move(serviceName)),
      branch_(branch),
      sink_(std::move(sink)),
      clock_(SystemLocalDate) {}

std::string ActivityFollower::GetLoggingDirectory() const {
    return LogDirectory(serviceName_, branch_);
}

std::string ActivityFollower::GetActiveFileName() const {
    return ActiveFileName(loggingDirectory_, serviceName_, clock_());
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
    // With history the first scan lists the file from its first byte.
    if (!loadHistoricData_) {
        const LogFile file(followedFile_);
        std::int64_t size = 0;
        if (Open(file, followedFile_, size)) readPosition_ = LiveStart(file, size);
    }
    ListFrom(readPosition_);
}

void ActivityFollower::ListFromHere() {
    ListFrom(readPosition_);
}

void ActivityFollower::ListFrom(std::int64_t offset) {
    listing_.file = followedFile_;
    listing_.identity = followedIdentity_;
    listing_.identityKnown = identityKnown_;
    listing_.offset = offset;
    ++listing_.generation;
}

std::int64_t ActivityFollower::LiveStart(const LogFile& file, std::int64_t size) const {
    const std::int64_t back = std::min<std::int64_t>(size, kMaxLineBytes);
    std::string tail(static_cast<std::size_t>(back), '\0');
    if (back == 0 || file.ReadAt(size - back, tail.data(), tail.size()) != back) return size;
    const std::size_t start = NextLineStart(tail);
    if (start != std::string::npos) return size - back + static_cast<std::int64_t>(start);
    // No line ends in the file: it is one line being written, listed whole.
    return size <= static_cast<std::int64_t>(kMaxLineBytes) ? 0 : size;
}

bool ActivityFollower::ScanSlice(std::size_t budget) {
    // Room for a whole line, so that every slice moves on.
    budget = std::max(budget, kMaxLineBytes + 1);
    batch_.clear();
    status_.restart = Restart::None;
    const std::string name = GetActiveFileName();
    bool more = false;
    if (name != followedFile_) {
        // A new day: what the previous day's file gained comes first, all of it.
        more = ReadFrom(followedFile_, true, budget);
        if (!more) {
            followedFile_ = name;
            readPosition_ = 0;
            identityKnown_ = false;
            ListFrom(0);
        }
    }
    if (!more) more = ReadFrom(name, false, budget);
    if (!batch_.empty() && sink_) sink_(batch_);
    if (!more) {
        batch_.Trim(kKeptBytes);
        buffer_.Trim(kKeptBytes);
    }
    return more;
}

bool ActivityFollower::Open(const LogFile& file, const std::string& path, std::int64_t& size) {
    status_.file = path;
    status_.state = file.State();
    // With no folder set, whatever fails at the path that leaves is down to that.
    if (loggingDirectory_.empty() && status_.state != ScanState::Following) {
        status_.state = ScanState::NoSetting;
    }
    FileIdentity identity;
    if (!file.Query(size, identity)) return false;
    if (identityKnown_ && identity != followedIdentity_) {
        status_.restart = Restart::Replaced;
    } else if (size < readPosition_) {
        status_.restart = Restart::Truncated;
    }
    followedIdentity_ = identity;
    if (status_.restart != Restart::None) {
        readPosition_ = 0;
        ListFrom(0);
    } else if (!identityKnown_ && path == listing_.file) {
        listing_.identity = identity;  // a file that first opens now
        listing_.identityKnown = true;
    }
    identityKnown_ = true;
    return true;
}

bool ActivityFollower::ReadFrom(const std::string& path, bool flushTail, std::size_t budget) {
    const LogFile file(path);
    std::int64_t size = 0;
    if (!Open(file, path, size) || size == readPosition_) return false;

    const auto left = static_cast<std::uint64_t>(size - readPosition_);
    const std::int64_t stop =
        readPosition_ + static_cast<std::int64_t>(std::min<std::uint64_t>(left, budget));
    // The byte before the position comes too: a CR there makes a leading LF
    // the rest of its terminator.
    std::int64_t next = std::max<std::int64_t>(readPosition_ - 1, 0);
    buffer_.Reset(static_cast<std::size_t>(stop - next), kMaxLineBytes);
    bool afterCr = false;
    while (next < stop) {
        const std::int64_t got = buffer_.Fill(file, next, static_cast<std::size_t>(stop - next));
        if (got <= 0) return false;  // cut short under us: the next scan sees why
        if (next < readPosition_) {
            afterCr = buffer_.Data().front() == '\r';
            buffer_.Consume(1);
        }
        next += got;
        const std::size_t used =
            SplitLines(buffer_.Data(), flushTail && next >= size, afterCr, SystemDecoder(), batch_);
        buffer_.Consume(used);
        readPosition_ += static_cast<std::int64_t>(used);
    }
    return stop < size;
}

}  // namespace activity
