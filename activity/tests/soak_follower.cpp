// Soak: a writer process appends random lines in writes cut anywhere, changes
// day and truncates its file on the way, while this process follows at random
// moments. Every entry listed must be the next one expected: none lost,
// duplicated, split or merged.
//
//   QV_SOAK_LINES  lines to write (2,000,000 unless set; ctest sets fewer)
//   QV_SOAK_SEED   the content's seed, printed by every run, to replay one
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>

#include "activity_follower.h"
#include "code_page.h"
#include "follower_fixture.h"
#include "line_splitter.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// What the writer tells the follower; each of the first two waits for an ack.
constexpr char kAllWritten = 'A';  // everything before the truncation is out
constexpr char kTruncated = 'T';   // cut to 0, and fewer bytes written since
constexpr char kNextDay = 'D';     // the old day's file is complete
constexpr char kEnd = 'E';

// The lines, the same in both processes for one seed: lengths 0 to 300, bytes
// above 127, the odd NUL and lone LF, never a CR; ends CR LF or a lone CR.
// Line truncateAt starts the truncated file; line dayAt - 1 is the old day's
// unterminated tail and dayAt the first of the next day.
class Script {
  public:
    Script(std::uint64_t seed, std::size_t lines)
        : lines_(lines), truncateAt_(lines / 3), dayAt_(2 * lines / 3), rng_(seed) {}

    std::size_t lines() const { return lines_; }
    std::size_t truncateAt() const { return truncateAt_; }
    std::size_t dayAt() const { return dayAt_; }

    // Line `index` (lines come in order): its bytes and its terminator.
    void Next(std::size_t index, std::string& text, std::string& end) {
        // Lengths near the 10-character limit are the ones worth having more of.
        const std::size_t length = rng_() % 8 == 0 ? rng_() % 14 : rng_() % 301;
        text.resize(length);
        for (char& c : text) {
            const std::uint64_t r = rng_() % 1000;
            c = r < 2    ? '\0'
                : r < 12 ? '\n'
                : r < 70 ? static_cast<char>(0x80 + rng_() % 128)
                         : static_cast<char>(0x20 + rng_() % 95);
        }
        end = index + 1 == dayAt_ ? "" : rng_() % 3 == 0 ? "\r" : "\r\n";
    }

  private:
    std::size_t lines_;
    std::size_t truncateAt_;
    std::size_t dayAt_;
    std::mt19937_64 rng_;
};

// The entries the script should give, one at a time, by the follower's rules:
// an LF just after a lone CR completes it; each file starts afresh.
class Expected {
  public:
    Expected(std::uint64_t seed, std::size_t lines)
        : script_(seed, lines), decoder_(activity::OpenCodePage(1252)) {}

    bool Next(std::string& entry) {
        std::string text;
        std::string end;
        while (index_ < script_.lines()) {
            if (index_ == script_.truncateAt() || index_ == script_.dayAt()) afterCr_ = false;
            script_.Next(index_++, text, end);
            std::string_view line = text;
            if (afterCr_ && !line.empty() && line.front() == '\n') line.remove_prefix(1);
            afterCr_ = end == "\r";
            entry.clear();
            if (decoder_.Append(line, entry) > activity::kShortLineChars) return true;
        }
        return false;
    }

  private:
    Script script_;
    activity::CodePageDecoder decoder_;
    std::size_t index_ = 0;
    bool afterCr_ = false;
};

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ::_exit(3);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

// The writer process: appends the script's bytes in writes of random size.
class Writer {
  public:
    Writer(std::uint64_t seed, std::size_t lines, int toFollower, int fromFollower,
           const std::atomic<std::int64_t>* read)
        : script_(seed, lines),
          rng_(seed ^ 0x5eed),
          out_(toFollower),
          in_(fromFollower),
          read_(read) {}

    [[noreturn]] void Run(const fs::path& day1, const fs::path& day2) {
        Open(day1);
        std::size_t i = 0;
        for (; i < script_.truncateAt(); ++i) Add(i);
        Flush(pending_.size());
        Tell(kAllWritten, true);

        // Cut to nothing, then fewer bytes than the follower had read, so
        // that its next scan sees a file shorter than its position.
        const std::size_t before = Size();
        if (::ftruncate(fd_, 0) != 0) ::_exit(4);
        for (std::size_t n = 0; n < 20 && i < script_.dayAt() - 1; ++n) Add(i++);
        Flush(std::min(pending_.size(), before / 2));
        Tell(kTruncated, true);

        for (; i < script_.dayAt(); ++i) Add(i);
        Flush(pending_.size());
        Tell(kNextDay, false);
        ::close(fd_);

        Open(day2);
        for (; i < script_.lines(); ++i) Add(i);
        Flush(pending_.size());
        ::close(fd_);
        Tell(kEnd, false);
        ::_exit(0);
    }

  private:
    void Open(const fs::path& file) {
        fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd_ < 0) ::_exit(2);
    }

    std::size_t Size() const {
        const off_t end = ::lseek(fd_, 0, SEEK_END);
        return end < 0 ? 0 : static_cast<std::size_t>(end);
    }

    // Mostly small writes, some of a few pages: lines and CR LF pairs are cut
    // wherever a write happens to end.
    std::size_t WriteSize() {
        const std::uint64_t r = rng_() % 16;
        return r < 8 ? 1 + rng_() % 16 : r < 14 ? 1 + rng_() % 512 : 1 + rng_() % 16384;
    }

    void Add(std::size_t index) {
        script_.Next(index, text_, end_);
        pending_ += text_;
        pending_ += end_;
        if (pending_.size() >= 1 << 16) Flush(pending_.size() - (1 << 15));
    }

    // Writes the first `count` pending bytes.
    void Flush(std::size_t count) {
        std::size_t at = 0;
        while (at < count) {
            KeepNear();
            const std::size_t n = std::min(WriteSize(), count - at);
            WriteAll(fd_, pending_.data() + at, n);
            at += n;
        }
        pending_.erase(0, at);
    }

    // Stays within a random distance of what the follower has read, so that
    // its scans fall between writes instead of after the whole burst however
    // fast either side runs. Waits a little at most: the follower cannot read
    // past a line that is still being written.
    void KeepNear() {
        const auto ahead = [this] {
            return static_cast<std::int64_t>(Size()) - read_->load(std::memory_order_relaxed);
        };
        const std::int64_t limit = 512 + static_cast<std::int64_t>(rng_() % 65536);
        const auto until = Clock::now() + std::chrono::milliseconds(10);
        while (ahead() > limit && Clock::now() < until) ::sched_yield();
    }

    void Tell(char what, bool waitForAck) {
        WriteAll(out_, &what, 1);
        char ack = 0;
        if (waitForAck && ::read(in_, &ack, 1) != 1) ::_exit(5);  // the follower is gone
    }

    Script script_;
    std::mt19937_64 rng_;
    int out_;
    int in_;
    const std::atomic<std::int64_t>* read_;  // the follower's position, shared
    int fd_ = -1;
    std::string pending_;
    std::string text_;
    std::string end_;
};

// The start of an entry, printable.
std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text.substr(0, 60)) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out + (text.size() > 60 ? "\"..." : "\"");
}

// Checks each entry against the next expected one as it is listed, so that
// millions of lines cost no memory.
class CheckingFollower : public activity::ActivityFollower {
  public:
    activity::LocalDate today{2026, 12, 6};
    std::size_t listed = 0;
    std::size_t batches = 0;
    std::string firstMismatch;

    CheckingFollower(std::uint64_t seed, std::size_t lines) : expected_(seed, lines) {
        ServiceName = "SMTP";
        SetClock([this] { return today; });
    }

    // True when nothing more was expected.
    bool Exhausted() {
        std::string more;
        return !expected_.Next(more);
    }

  protected:
    void OnEntries(const activity::EntryBatch& batch) override {
        ++batches;
        for (std::size_t i = 0; i < batch.size(); ++i, ++listed) {
            if (!firstMismatch.empty()) continue;
            std::string want;
            if (!expected_.Next(want)) {
                firstMismatch = "entry " + std::to_string(listed) + " listed, none expected";
            } else if (batch[i] != want) {
                firstMismatch = "entry " + std::to_string(listed) + ": listed " + Quote(batch[i]) +
                                ", expected " + Quote(want);
            }
        }
    }

  private:
    Expected expected_;
};

std::size_t EnvSize(const char* name, std::size_t fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 10) : fallback;
}

}  // namespace

TEST(Soak, ListsExactlyWhatAWriterWroteThroughCutsTruncationAndADayChange) {
    const std::size_t lines = std::max<std::size_t>(EnvSize("QV_SOAK_LINES", 2'000'000), 1000);
    const std::uint64_t seed = EnvSize("QV_SOAK_SEED", std::random_device{}());
    std::printf("soak: %zu lines, QV_SOAK_SEED=%llu\n", lines,
                static_cast<unsigned long long>(seed));

    TestServer server;
    server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
    const fs::path day1 = server.LocalLogDir() / "SMTP-Activity-261206.log";
    const fs::path day2 = server.LocalLogDir() / "SMTP-Activity-261207.log";

    CheckingFollower follower(seed, lines);
    follower.Initialise();  // no file yet: it is read from its first byte

    // The follower's read position, where the writer can see it.
    void* shared = ::mmap(nullptr, sizeof(std::atomic<std::int64_t>), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    auto* readPosition = new (shared) std::atomic<std::int64_t>(0);

    int toFollower[2];
    int toWriter[2];
    ASSERT_EQ(::pipe2(toFollower, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(toWriter, O_CLOEXEC), 0);
    const auto start = Clock::now();
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        ::close(toFollower[0]);
        ::close(toWriter[1]);
        Writer(seed, lines, toFollower[1], toWriter[0], readPosition).Run(day1, day2);
    }
    ::close(toFollower[1]);
    ::close(toWriter[0]);
    ::fcntl(toFollower[0], F_SETFL, O_NONBLOCK);

    std::mt19937_64 rng(seed ^ 0xf011);
    const auto scan = [&] {
        // Whole scans and slices of random budget, at random moments.
        const std::uint64_t r = rng() % 8;
        if (r < 3) {
            follower.ScanFile();
        } else {
            follower.ScanSlice(static_cast<std::size_t>(rng() % (4 << 20)));
        }
        readPosition->store(follower.ReadPosition(), std::memory_order_relaxed);
    };
    const auto scanUntilRead = [&](const fs::path& file) {
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (follower.ReadPosition() != FileSize(file) && follower.firstMismatch.empty() &&
               Clock::now() < deadline) {
            follower.ScanFile();
        }
        readPosition->store(follower.ReadPosition(), std::memory_order_relaxed);
    };
    const auto ack = [&] {
        const char a = 'k';
        ASSERT_EQ(::write(toWriter[1], &a, 1), 1);
    };

    // Stalls fail the test long before ctest's timeout would.
    constexpr auto kStall = std::chrono::seconds(60);
    auto lastProgress = Clock::now();
    std::size_t lastListed = 0;
    std::size_t scans = 0;
    bool ended = false;
    while (!ended && follower.firstMismatch.empty()) {
        char message = 0;
        const ssize_t got = ::read(toFollower[0], &message, 1);
        if (got == 0) break;  // the writer died before it ended
        if (got == 1) {
            lastProgress = Clock::now();
            switch (message) {
                case kAllWritten:
                    scanUntilRead(day1);
                    ack();
                    break;
                case kTruncated:
                    scan();
                    ack();
                    break;
                case kNextDay:
                    follower.today = {2026, 12, 7};
                    break;
                case kEnd:
                    ended = true;
                    break;
                default:
                    break;
            }
            continue;
        }
        if (rng() % 4 != 0) {
            pollfd p{toFollower[0], POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(rng() % 3));
        }
        scan();
        ++scans;
        if (follower.listed != lastListed) {
            lastListed = follower.listed;
            lastProgress = Clock::now();
        }
        if (Clock::now() - lastProgress > kStall) break;
    }
    if (ended) scanUntilRead(day2);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    if (!ended) ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    ::close(toFollower[0]);
    ::close(toWriter[1]);
    ::munmap(shared, sizeof(std::atomic<std::int64_t>));

    std::printf(
        "soak: %zu lines written, %zu entries listed by %zu scans (%zu with entries), %.1f s, "
        "%.0f lines/s; files of %lld + %lld bytes at the end\n",
        lines, follower.listed, scans, follower.batches, seconds,
        static_cast<double>(lines) / seconds, static_cast<long long>(FileSize(day1)),
        static_cast<long long>(FileSize(day2)));
    EXPECT_TRUE(ended) << "the writer stalled or died";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
    EXPECT_EQ(follower.firstMismatch, "");
    EXPECT_TRUE(follower.Exhausted())
        << "entries expected after the " << follower.listed << " listed";
    EXPECT_EQ(follower.ReadPosition(), FileSize(day2));
}
