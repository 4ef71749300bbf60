// Soak: a writer process appends random lines in writes cut anywhere,
// truncates its file and changes day, while this process follows at random
// moments. Every entry must be the next one expected: none lost, duplicated,
// split or merged.
//   QV_SOAK_LINES  lines to write (2,000,000 unless set; ctest sets fewer)
//   QV_SOAK_SEED   the content's seed, printed by every run, to replay one
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "code_page.h"
#include "line_splitter.h"
#include "recording_follower.h"

TEST(Soak, ListsExactlyWhatAWriterWroteThroughCutsTruncationAndADayChange) {
    const char* linesSet = std::getenv("QV_SOAK_LINES");
    const char* seedSet = std::getenv("QV_SOAK_SEED");
    const std::size_t lines = std::max(linesSet ? std::stoul(linesSet) : 2'000'000ul, 1000ul);
    const std::uint64_t seed = seedSet ? std::stoull(seedSet) : std::random_device{}();
    std::printf("soak: %zu lines, QV_SOAK_SEED=%llu\n", lines, (unsigned long long)seed);
    const std::size_t cut = lines / 3, day = 2 * lines / 3;
    // The lines, the same in both processes once forked: up to 300 bytes with
    // high bytes, NULs and lone LFs, ending CR LF or a lone CR, but for the
    // last line of the first day. Lengths near the 10-character limit come
    // more often.
    std::mt19937_64 gen(seed);
    const auto line = [&](std::size_t i) {
        std::string s(gen() % 8 == 0 ? gen() % 14 : gen() % 301, ' ');
        for (char& c : s) {
            const auto r = gen() % 1000;
            c = r < 2    ? '\0'
                : r < 12 ? '\n'
                         : char(r < 70 ? 0x80 + gen() % 128 : 0x20 + gen() % 95);
        }
        return s + (i + 1 == day ? "" : gen() % 3 == 0 ? "\r" : "\r\n");
    };
    SmtpServer server;
    RecordingFollower f;
    f.Initialise();  // no file yet: it is read from its first byte
    int tell[2], answer[2];
    ASSERT_EQ(::pipe(tell) | ::pipe(answer), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        // Each line in writes of random size; each message waits for the
        // follower's answer after a scan.
        std::mt19937_64 rng(seed ^ 0x5eed);
        int fd = ::open(server.Day().c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        std::size_t i = 0, ahead = 0;
        const auto say = [&](char what) {
            if (::write(tell[1], &what, 1) != 1 || ::read(answer[0], &what, 1) != 1) ::_exit(3);
            ahead = 0;
        };
        const auto writeUpTo = [&](std::size_t end, char what) {
            for (; i < end; ++i) {
                const std::string bytes = line(i);
                for (std::size_t at = 0, n = 0; at < bytes.size(); at += n) {
                    n = std::min<std::size_t>(bytes.size() - at, 1 + rng() % (rng() % 2 ? 8 : 256));
                    if (::write(fd, bytes.data() + at, n) != ssize_t(n)) ::_exit(2);
                    // Now and then a scan between two writes, wherever they cut.
                    if ((ahead += n) > 512 + rng() % 65536) say('S');
                }
            }
            say(what);
        };
        writeUpTo(cut, 'A');  // all read: now cut to less than was read, so that it shows
        if (::ftruncate(fd, 0) != 0) ::_exit(4);
        writeUpTo(cut + 20, 'T');
        writeUpTo(day, 'D');
        ::close(fd);
        fd = ::open(server.Day("261207").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        writeUpTo(lines, 'E');
        ::_exit(0);
    }
    ::close(tell[1]);

    // The entries expected by the follower's rules: an LF just after a lone CR
    // completes it; each file, the cut one too, starts afresh.
    const activity::CodePageDecoder decoder(activity::OpenCodePage(1252));
    std::size_t next = 0;
    bool afterCr = false;
    const auto expect = [&](std::string& entry) {
        while (next < lines) {
            if (next == cut || next == day) afterCr = false;
            const std::string bytes = line(next++);
            std::string_view text = bytes;
            const bool lone = text.ends_with('\r');
            text.remove_suffix(text.ends_with("\r\n") ? 2 : lone ? 1 : 0);
            if (afterCr && text.starts_with('\n')) text.remove_prefix(1);
            afterCr = lone;
            entry.clear();
            if (decoder.Append(text, entry) > activity::kShortLineChars) return true;
        }
        return false;
    };

    std::mt19937_64 rng(seed ^ 0xf011);
    std::size_t listed = 0;
    std::string mismatch, want;
    char said = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    while (said != 'E' && mismatch.empty() && std::chrono::steady_clock::now() < deadline) {
        pollfd p{tell[0], POLLIN, 0};
        said = 0;
        if (::poll(&p, 1, static_cast<int>(rng() % 3)) > 0 && ::read(tell[0], &said, 1) != 1) {
            break;  // the writer died
        }
        if (said == 'D') f.today = {2026, 12, 7};
        // Whole scans where all must be read, else now and then; slices of
        // random budget otherwise.
        f.ScanSlice(said == 'A' || said == 'E' || rng() % 3 == 0 ? SIZE_MAX : rng() % (4 << 20));
        for (const auto& entry : f.entries) {
            if (mismatch.empty() && (!expect(want) || entry != want)) {
                mismatch = std::to_string(listed) + ": [" + entry.substr(0, 60) + "]";
            }
            ++listed;
        }
        f.entries.clear();
        if (said != 0 && ::write(answer[1], &said, 1) != 1) break;
    }
    if (said != 'E') ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    EXPECT_EQ(said, 'E') << "the writer stalled or died";
    EXPECT_EQ(mismatch, "");
    EXPECT_FALSE(expect(want)) << "entries expected after the " << listed << " listed";
    EXPECT_EQ(f.ReadPosition(), FileSize(server.Day("261207")));
}
