// What a hostile or broken system can put where the monitor looks: special
// files at the log path, permissions that come and go, files replaced under
// it, monstrous lines, bytes no code page has, and registries of every kind
// of wrong. Whatever comes, a scan returns soon, lists nothing it should not
// and keeps its memory to a slice.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>

#include "code_page.h"
#include "follower_fixture.h"
#include "line_splitter.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

constexpr char kHung[] = "<no answer in time>";

// Runs `work` in a child process and returns what it returned, or kHung when
// it has not answered within `seconds` (the child is killed), or a note of
// its death: for what could hang or eat memory, and for what must run under
// another user.
std::string RunBounded(int seconds, const std::function<std::string()>& work) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return "<no pipe>";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string answer;
        try {
            answer = work();
        } catch (const std::exception& e) {
            answer = std::string("<exception: ") + e.what() + ">";
        }
        const char* p = answer.data();
        std::size_t left = answer.size();
        while (left > 0) {
            const ssize_t n = ::write(pipeFds[1], p, left);
            if (n <= 0) break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string answer;
    bool closed = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!closed && std::chrono::steady_clock::now() < deadline) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char chunk[4096];
        const ssize_t n = ::read(pipeFds[0], chunk, sizeof chunk);
        if (n <= 0) {
            closed = true;
        } else {
            answer.append(chunk, static_cast<std::size_t>(n));
        }
    }
    ::close(pipeFds[0]);
    if (!closed) ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!closed) return kHung;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return answer + "<child died, status " + std::to_string(status) + ">";
    }
    return answer;
}

// Collects what a child process found wrong, as text for the parent to show.
class Problems {
  public:
    void Expect(bool ok, const std::string& what) {
        if (!ok) text_ += what + "\n";
    }
    void ExpectLines(const Lines& got, const Lines& want, const std::string& what) {
        std::string shown;
        for (const auto& line : got) shown += "[" + line + "]";
        Expect(got == want, what + ": listed " + shown);
    }
    std::string text() const { return text_; }

  private:
    std::string text_;
};

// Peak resident memory of this process, in KiB.
long PeakKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

fs::path PrefixDir() {
    return getenv("WINEPREFIX");
}

void WriteFile(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Which file a path names: its inode, and its birth time where the file
// system keeps one (0 where not).
struct FileBirth {
    std::uint64_t inode = 0;
    std::int64_t born = 0;
    bool operator==(const FileBirth&) const = default;
};

FileBirth Birth(const fs::path& file) {
    struct statx sx {};
    if (::statx(AT_FDCWD, file.c_str(), 0, STATX_INO | STATX_BTIME, &sx) != 0) return {};
    const std::int64_t born = (sx.stx_mask & STATX_BTIME)
                                  ? sx.stx_btime.tv_sec * 1'000'000'000 + sx.stx_btime.tv_nsec
                                  : 0;
    return {sx.stx_ino, born};
}

constexpr std::string_view kRegHead =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
constexpr std::string_view kCodePageKey =
    "[System\\\\CurrentControlSet\\\\Control\\\\Nls\\\\CodePage] 1796581281\n\"ACP\"=\"1252\"\n\n";

class BadInputTest : public ::testing::Test {
  protected:
    void SetUp() override { server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir()); }

    fs::path Day() const { return server.LocalLogDir() / "SMTP-Activity-261206.log"; }

    TestServer server;
};

}  // namespace

// Only a regular file is a log: nothing else at the path may block a scan,
// feed it endlessly or be mistaken for the log, however it got there.
TEST_F(BadInputTest, OnlyARegularFileAtTheLogPathIsALog) {
    const fs::path fifo = server.LocalLogDir() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO with a writer and bytes waiting: opened, found not to be a file,
    // closed, and its bytes left for whoever reads it.
    const int fifoRead = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const int fifoWrite = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(fifoWrite, 0);
    ASSERT_EQ(::write(fifoWrite, "a line in a pipe\r\n", 18), 18);

    std::error_code ec;
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"symlink to a FIFO with a writer", [&] { fs::create_symlink(fifo, Day()); }},
        {"symlink to /dev/zero", [&] { fs::create_symlink("/dev/zero", Day()); }},
        {"symlink to /dev/null", [&] { fs::create_symlink("/dev/null", Day()); }},
        {"symlink to /dev/urandom", [&] { fs::create_symlink("/dev/urandom", Day()); }},
        {"dangling symlink", [&] { fs::create_symlink("no such file", Day()); }},
        {"symlink loop", [&] { fs::create_symlink(Day().filename(), Day()); }},
        {"symlink to the directory", [&] { fs::create_directory_symlink(".", Day()); }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        fs::remove(Day(), ec);
        make();
        const std::string answer = RunBounded(20, [] {
            RecordingFollower f("SMTP", 0);
            f.LoadHistoricData = true;  // reads from the first byte at once
            f.Initialise();
            Problems problems;
            problems.ExpectLines(f.entries, {}, "history");
            problems.ExpectLines(f.Scan(), {}, "scan");
            problems.Expect(f.ReadPosition() == 0, "moved on");
            problems.Expect(f.GetLastActivity() == 0, "has a size");
            return problems.text();
        });
        EXPECT_EQ(answer, "");
    }
    char waiting[32] = {};
    EXPECT_EQ(::read(fifoRead, waiting, sizeof waiting), 18);
    ::close(fifoRead);
    ::close(fifoWrite);

    // The log directory is a file: nothing, then the real log is found.
    RecordingFollower f("SMTP", 0);
    f.Initialise();
    fs::remove(Day(), ec);
    fs::rename(server.LocalLogDir(), server.LocalLogDir().string() + ".away");
    WriteFile(server.LocalLogDir(), "not a directory\r\n");
    EXPECT_EQ(f.Scan(), Lines{});
    fs::remove(server.LocalLogDir());
    fs::rename(server.LocalLogDir().string() + ".away", server.LocalLogDir());
    AppendBytes(Day(), "the real log at last\r\n");
    EXPECT_EQ(f.Scan(), Lines{"the real log at last"});
}

// CI runs as root, whom permissions do not stop: the follower then runs as
// nobody in a child process.
TEST_F(BadInputTest, PermissionDeniedThenGrantedResumesWhereItWas) {
    const bool root = ::geteuid() == 0;
    constexpr uid_t kNobody = 65534;
    if (root) {
        // The prefix readable by nobody, the log folder and file its own.
        for (fs::path dir = server.LocalLogDir(); dir != PrefixDir().parent_path();
             dir = dir.parent_path()) {
            fs::permissions(dir, fs::perms(0755));
        }
        fs::permissions(PrefixDir() / "dosdevices", fs::perms(0755));
        fs::permissions(PrefixDir() / "system.reg", fs::perms(0644));
        AppendBytes(Day(), "an old line before the start\r\n");
        if (::chown(server.LocalLogDir().c_str(), kNobody, kNobody) != 0 ||
            ::chown(Day().c_str(), kNobody, kNobody) != 0) {
            GTEST_SKIP() << "cannot give the log to nobody (uid 65534): " << strerror(errno);
        }
    } else {
        AppendBytes(Day(), "an old line before the start\r\n");
    }
    const fs::path day = Day();
    const fs::path dir = server.LocalLogDir();
    const std::string answer = RunBounded(60, [&]() -> std::string {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                     ::setuid(kNobody) != 0 || ::geteuid() != kNobody)) {
            return "skip: cannot become nobody (uid 65534): " + std::string(strerror(errno));
        }
        Problems problems;
        RecordingFollower f("SMTP", 0);
        f.Initialise();
        problems.Expect(f.LoggingDirectory() == "C:\\Quorvane\\Logs", "no directory");
        const std::int64_t start = f.ReadPosition();
        problems.Expect(start == FileSize(day), "did not start at the end");

        AppendBytes(day, "written before the denial\r\n");
        fs::permissions(day, fs::perms::none);
        problems.Expect(::access(day.c_str(), R_OK) != 0, "the file is still readable");
        problems.ExpectLines(f.Scan(), {}, "file denied");
        problems.Expect(f.ReadPosition() == start, "moved while denied");
        problems.Expect(f.GetLastActivity() == 0, "a size while denied");
        fs::permissions(day, fs::perms(0644));
        fs::permissions(dir, fs::perms::none);
        problems.ExpectLines(f.Scan(), {}, "folder denied");
        fs::permissions(dir, fs::perms(0755));
        AppendBytes(day, "and a line after it\r\nhalf a li");
        problems.ExpectLines(f.Scan(), {"written before the denial", "and a line after it"},
                             "granted again");

        // Denied with half a line read up to: it is listed whole, once.
        fs::permissions(day, fs::perms::none);
        problems.ExpectLines(f.Scan(), {}, "denied again");
        fs::permissions(day, fs::perms(0644));
        AppendBytes(day, "ne, ended later\r\n");
        problems.ExpectLines(f.Scan(), {"half a line, ended later"}, "granted at last");
        problems.Expect(f.ReadPosition() == FileSize(day), "not at the end");
        return problems.text();
    });
    if (answer.rfind("skip: ", 0) == 0) GTEST_SKIP() << answer.substr(6);
    EXPECT_EQ(answer, "");
}

// A log deleted and made again is another file, read from its first byte,
// whether or not a scan saw it missing, and even where the new file takes
// the inode of the old one, as ext4 does at once.
TEST_F(BadInputTest, ALogDeletedAndCreatedAnewIsReadFromItsStart) {
    AppendBytes(Day(), "an old line number one\r\nan old line number two\r\n");
    RecordingFollower f("SMTP", 0);
    f.Initialise();
    ASSERT_EQ(f.ReadPosition(), FileSize(Day()));

    bool told = true;
    bool inodeReused = false;
    const auto replace = [&](const std::string& bytes, bool scanWhileMissing) {
        const FileBirth old = Birth(Day());
        fs::remove(Day());
        if (scanWhileMissing) {
            EXPECT_EQ(f.Scan(), Lines{});
            EXPECT_EQ(f.GetLastActivity(), 0);
        }
        // Birth times tick every few ms: a real replacement is born on
        // another tick than the file it replaces, so this one waits for one.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        AppendBytes(Day(), bytes);
        while (Birth(Day()) == old && std::chrono::steady_clock::now() < deadline) {
            fs::remove(Day());
            AppendBytes(Day(), bytes);
        }
        inodeReused = inodeReused || Birth(Day()).inode == old.inode;
        told = told && !(Birth(Day()) == old);
    };

    replace("a new file, first line of it\r\nand the second line of the new file\r\n", true);
    EXPECT_EQ(f.Scan(),
              (Lines{"a new file, first line of it", "and the second line of the new file"}));
    replace(
        "replacement one, longer than the old file was\r\n"
        "replacement two, longer than the old file was\r\n",
        false);
    EXPECT_EQ(f.Scan(), (Lines{"replacement one, longer than the old file was",
                               "replacement two, longer than the old file was"}));
    replace("short but new line\r\n", false);
    EXPECT_EQ(f.Scan(), Lines{"short but new line"});
    EXPECT_EQ(f.ReadPosition(), FileSize(Day()));
    EXPECT_TRUE(told) << "this file system tells neither inode nor birth time apart";
    if (inodeReused) std::printf("(new files took the inode of the old ones)\n");
}

// 100 MiB without a line end: pieces of kMaxLineBytes, in order, while the
// memory used stays that of a slice.
TEST_F(BadInputTest, ALineOf100MiBComesInPiecesWithinBoundedMemory) {
    constexpr std::size_t kLine = std::size_t{100} << 20;
    const fs::path staged = server.LocalLogDir() / "staged";
    {
        const std::string block = [] {
            std::string b;
            while (b.size() < (1 << 20)) b += "0123456789abcdef";
            return b;
        }();
        std::ofstream out(staged, std::ios::binary);
        for (std::size_t i = 0; i < kLine / block.size(); ++i) out << block;
        out << "\r\nthe line after the long one\r\n";
    }
    const fs::path day = Day();
    const std::string answer = RunBounded(300, [&] {
        // Checks each piece as it comes instead of keeping 100 MiB of them.
        class Pieces : public activity::ActivityFollower {
          public:
            std::size_t pieces = 0;
            std::size_t bytes = 0;
            std::size_t wrong = 0;
            std::vector<std::string> others;

          protected:
            void OnEntries(const activity::EntryBatch& batch) override {
                for (std::size_t i = 0; i < batch.size(); ++i) {
                    const std::string_view e = batch[i];
                    if (e.size() > 1000) {
                        for (std::size_t k = 0; k < e.size(); ++k) {
                            if (e[k] != "0123456789abcdef"[(bytes + k) % 16]) ++wrong;
                        }
                        wrong += e.size() > activity::kMaxLineBytes;
                        ++pieces;
                        bytes += e.size();
                    } else {
                        others.emplace_back(e);
                    }
                }
            }
        } f;
        f.ServiceName = "SMTP";
        f.SetClock([] { return activity::LocalDate{2026, 12, 6}; });
        f.Initialise();
        fs::rename(staged, day);
        const long peakBefore = PeakKiB();
        // As the activity window scans: slices of 4 MiB.
        int slices = 0;
        while (f.ScanSlice(std::size_t{4} << 20) && slices < 1000) ++slices;
        const long grown = PeakKiB() - peakBefore;
        char text[200];
        std::snprintf(text, sizeof text, "%zu pieces %zu bytes %zu wrong %zu others %ld KiB",
                      f.pieces, f.bytes, f.wrong, f.others.size(), grown);
        return std::string(text) + (f.others == Lines{"the line after the long one"} ? "" : "!");
    });
    std::size_t pieces = 0, bytes = 0, wrong = 0, others = 0;
    long grownKiB = -1;
    ASSERT_EQ(std::sscanf(answer.c_str(), "%zu pieces %zu bytes %zu wrong %zu others %ld KiB",
                          &pieces, &bytes, &wrong, &others, &grownKiB),
              5)
        << answer;
    EXPECT_EQ(pieces, kLine / activity::kMaxLineBytes);
    EXPECT_EQ(bytes, kLine);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(others, 1u);
    EXPECT_EQ(answer.back(), 'B') << answer;  // "KiB", not "!"
    // A slice, its entries and the read buffer: a few MiB, not the line's 100.
    EXPECT_LT(grownKiB, 24 * 1024) << answer;
    std::printf("100 MiB line: %s of peak memory growth\n", answer.c_str());
}

// A NUL is a character like any other: it never ends or shortens a line and
// shows as U+2400. A file of nothing but NULs is one long line.
TEST_F(BadInputTest, NulBytesShowAndNeverCutALine) {
    RecordingFollower f("SMTP", 0);
    f.Initialise();
    const std::string nul = "\u2400";
    AppendBytes(Day(), "before\0\0after the NULs\r\n"s + std::string(11, '\0') + "\r\n" +
                           std::string(10, '\0') + "\r\n\0\r\n"s);
    EXPECT_EQ(f.Scan(), (Lines{"before" + nul + nul + "after the NULs", [&] {
                                   std::string s;
                                   for (int i = 0; i < 11; ++i) s += nul;
                                   return s;
                               }()}));

    // A hole of NULs, as a crash leaves one, then the line that was written.
    AppendBytes(Day(), std::string(100000, '\0') + "written after the hole\r\n");
    const Lines pieces = f.Scan();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), activity::kMaxLineBytes * nul.size());
    EXPECT_EQ(pieces[1].size(),
              (100000 - activity::kMaxLineBytes) * nul.size() + strlen("written after the hole"));
    EXPECT_EQ(pieces[1].substr(pieces[1].size() - 22), "written after the hole");
    for (const auto& piece : pieces) {
        EXPECT_EQ(piece.find('\0'), std::string::npos);
    }
    EXPECT_EQ(f.ReadPosition(), FileSize(Day()));
}

// Bytes a code page does not define become U+FFFD, one character each, and
// the line goes on; a code page the system cannot decode leaves ASCII.
TEST_F(BadInputTest, BytesInvalidInTheCodePageBecomeReplacementCharacters) {
    RecordingFollower f("SMTP", 0);
    f.Initialise();
    // The prefix says 1252, where 0x81, 0x8D, 0x8F, 0x90 and 0x9D are undefined.
    AppendBytes(Day(),
                "undefined \x81\x8D\x8F\x90\x9D then \x80 and \xE9 go on\r\n"
                "\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\r\n"
                "\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\r\n");
    const std::string bad = "\uFFFD";
    EXPECT_EQ(f.Scan(),
              (Lines{"undefined " + bad + bad + bad + bad + bad + " then € and é go on", [&] {
                         std::string s;
                         for (int i = 0; i < 11; ++i) s += bad;
                         return s;
                     }()}));

    // A code page nobody can decode: ASCII, and U+FFFD for the rest.
    const activity::CodePageDecoder unknown(activity::OpenCodePage(424242));
    std::string out;
    EXPECT_EQ(unknown.Append(std::string_view("abc \xE9\x82\xA0\0", 8), out), 8u);
    EXPECT_EQ(out, "abc " + bad + bad + bad + "\u2400");
    // A lead byte of 932 cut off by the line end, or before a byte no pair has.
    const activity::CodePageDecoder cp932(activity::OpenCodePage(932));
    out.clear();
    EXPECT_EQ(cp932.Append("\x82\x20\x82", out), 3u);
    EXPECT_EQ(out, bad + " " + bad);
}

// system.reg broken in every way: no directory, so nothing is listed, soon.
TEST_F(BadInputTest, ABrokenRegistryGivesNoDirectoryAndNoHang) {
    const fs::path reg = PrefixDir() / "system.reg";
    const std::string good = [&] {
        std::ifstream in(reg, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const std::size_t smtpLine = good.find("\"Activity Log Directory\"=\"C:\\\\Quorvane\\\\Logs\"");
    ASSERT_NE(smtpLine, std::string::npos);
    const std::size_t keyLine = good.rfind('[', smtpLine);

    std::mt19937 rng(6);
    std::string binary(70000, '\0');
    for (char& c : binary) c = static_cast<char>(rng());

    std::error_code ec;
    const auto remove = [&] {
        fs::remove(reg, ec);
        fs::remove_all(reg, ec);
    };
    const std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"missing", remove},
        {"empty", [&] { WriteFile(reg, ""); }},
        {"binary", [&] { WriteFile(reg, binary); }},
        {"binary after the header", [&] { WriteFile(reg, std::string(kRegHead) + binary); }},
        {"cut inside the value", [&] { WriteFile(reg, good.substr(0, smtpLine + 40)); }},
        {"cut inside the key line", [&] { WriteFile(reg, good.substr(0, keyLine + 20)); }},
        {"key line unclosed",
         [&] {
             std::string text = good;
             text.erase(text.find(']', keyLine), 1);
             WriteFile(reg, text);
         }},
        {"a directory", [&] { fs::create_directory(reg); }},
        {"a FIFO", [&] { ::mkfifo(reg.c_str(), 0600); }},
        {"a symlink to /dev/zero", [&] { fs::create_symlink("/dev/zero", reg); }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        remove();
        make();
        AppendBytes(Day(), "a line no one may list\r\n");
        const std::string answer = RunBounded(20, [] {
            const long peakBefore = PeakKiB();
            RecordingFollower f("SMTP", 0);
            f.LoadHistoricData = true;
            f.Initialise();
            Problems problems;
            problems.Expect(PeakKiB() - peakBefore < 64 * 1024, "memory grew");
            problems.Expect(f.LoggingDirectory().empty(), "directory " + f.LoggingDirectory());
            problems.ExpectLines(f.entries, {}, "history");
            problems.ExpectLines(f.Scan(), {}, "scan");
            return problems.text();
        });
        EXPECT_EQ(answer, "");
    }

    // 100 MB of other keys: read in bounded time, the key found at the end.
    remove();
    {
        std::ofstream out(reg, std::ios::binary);
        out << kRegHead;
        std::string block;
        for (int i = 0; block.size() < (1 << 20); ++i) {
            block += "[Software\\\\Filler\\\\Key" + std::to_string(i) +
                     "] 1796581281\n#time=1dd85b0e385cba6\n\"Value\"=\"some text of a filler "
                     "value\"\n\"Binary\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,\\\n"
                     "  0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f\n\n";
        }
        for (int i = 0; i < 100; ++i) out << block;
        out << kCodePageKey << good.substr(keyLine);
    }
    ASSERT_GT(fs::file_size(reg), std::uintmax_t{100} << 20);
    const std::string answer = RunBounded(120, [] {
        RecordingFollower f("SMTP", 0);
        f.Initialise();
        return f.LoggingDirectory();
    });
    EXPECT_EQ(answer, "C:\\Quorvane\\Logs");
}

// "Activity Log Directory" of every type: only string types name a folder;
// the others give none, and the follower then lists nothing.
TEST_F(BadInputTest, EveryRegistryTypeAsTheDirectory) {
    const fs::path reg = PrefixDir() / "system.reg";
    AppendBytes(Day(), "a line in the real folder\r\n");
    const struct {
        std::string data;
        std::string dir;
    } kRows[] = {
        {"\"C:\\\\Quorvane\\\\Logs\"", "C:\\Quorvane\\Logs"},
        {"str(2):\"%SystemDrive%\\\\Quorvane\\\\Logs\"", "C:\\Quorvane\\Logs"},
        // The first string of a multi-string.
        {"str(7):\"C:\\\\Quorvane\\\\Logs\\0D:\\\\Other\\0\"", "C:\\Quorvane\\Logs"},
        {"hex(1):43,00,3a,00,5c,00,51,00", "C:\\Q"},
        {"dword:00000001", ""},
        {"hex(b):01,00,00,00,00,00,00,00", ""},
        {"hex:43,00,3a,00,00,00", ""},
        {"hex(0):", ""},
        {"hex(4):43", ""},
        {"str(4):\"C:\\\\Quorvane\\\\Logs\"", ""},
        {"hex(8):00,01", ""},
        {"hex(ffffffff):00", ""},
        {"\"\"", ""},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.data);
        WriteFile(reg, std::string(kRegHead) + std::string(kCodePageKey) +
                           "[Software\\\\Quor Vane\\\\Quor Vane\\\\Connectors\\\\SMTP] 1\n"
                           "\"Activity Log Directory\"=" +
                           row.data + "\n");
        RecordingFollower f("SMTP", 0);
        f.LoadHistoricData = true;
        f.Initialise();
        EXPECT_EQ(f.LoggingDirectory(), row.dir);
        const bool real = row.dir == "C:\\Quorvane\\Logs";
        EXPECT_EQ(f.entries, real ? Lines{"a line in the real folder"} : Lines{});
        EXPECT_EQ(f.Scan(), Lines{});
    }
}
