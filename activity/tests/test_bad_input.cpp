// What a hostile or broken system can put where the monitor looks. Whatever
// comes, a scan returns soon and lists only what it should.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "components.h"
#include "recording_follower.h"
#include "registry_file.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// Runs `work` in a child process that an alarm kills if it hangs: for what
// could hang, and for what must run as another user. The child's failures
// print as they come; returns its exit status, 0 when it passed, -1 when it
// hung or died.
int RunBounded(unsigned seconds, const std::function<void()>& work) {
    const auto* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    const int failures = result->total_part_count();
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(seconds);
        work();
        std::fflush(stdout);
        ::_exit(result->total_part_count() > failures);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Puts at `path`, in place of what was there, a file of `text` ('f'), a
// symlink to `text` ('l'), a FIFO with a writer and bytes waiting ('p'), or
// nothing ('-').
std::function<void()> Put(const fs::path& path, char kind, const std::string& text = "") {
    return [=] {
        fs::remove_all(path);
        if (kind == 'f') std::ofstream(path, std::ios::binary) << text;
        if (kind == 'l') fs::create_symlink(text, path);
        if (kind == 'p' && ::mkfifo(path.c_str(), 0600) == 0) {
            ::open(path.c_str(), O_RDONLY | O_NONBLOCK);  // both ends open until the end
            EXPECT_EQ(::write(::open(path.c_str(), O_WRONLY | O_NONBLOCK), "line\r\n", 6), 6);
        }
    };
}

constexpr char kDir[] = "C:\\Quorvane\\Logs";
constexpr char kRegHead[] = "WINE REGISTRY Version 2\n";

}  // namespace

// Each row breaks the system one way: something other than a regular file at
// the log path or as system.reg, a huge system.reg, the folder as a type that
// names none. A child reads the log from its first byte, must not hang, and
// finds the folder and entries of the row.
TEST(BadInput, EachBrokenThingListsOnlyWhatItShould) {
    SmtpServer server;
    const fs::path day = server.Day(), reg = fs::path(getenv("WINEPREFIX")) / "system.reg";
    const std::string kDay = kDir + "\\SMTP-Activity-261206.log"s, real = "real folder's line";
    // A system.reg naming SMTP's folder by `data` (broken text is fuzz_registry's).
    const auto registry = [](const std::string& data) {
        sim::RegistryFile settings;
        settings.SetRaw(activity::SettingsKey("SMTP", activity::SettingsBranch::Connectors),
                        activity::kDirectoryValue, data);
        return settings.Text(1);
    };
    const std::string good = "\"C:\\\\Quorvane\\\\Logs\"";
    const std::string filler = "[Software\\\\Filler] 1\n\"Value\"=hex:" + Rep("0f,", 300) +
                               "\\\n  00\n\"Text\"=\"" + Rep("x", 200) + "\"\n\n";
    // What is broken and how, the folder found, the entries listed.
    std::vector<std::tuple<std::string, std::function<void()>, std::string, Lines>> rows = {
        {"FIFO with a writer", Put(day, 'p'), kDir, {}},
        {"/dev/zero", Put(day, 'l', "/dev/zero"), kDir, {}},
        {"symlink loop", Put(day, 'l', day.filename()), kDir, {}},
        {"the folder a file", [&] { server.SetDirectory("Connectors\\SMTP", kDay); }, kDay, {}},
        {"no system.reg", Put(reg, '-'), "", {}},
        {"system.reg a FIFO", Put(reg, 'p'), "", {}},
        {"100 MB", Put(reg, 'f', kRegHead + Rep(filler, 95000) + registry(good)), kDir, {real}},
        {"hex(1)", Put(reg, 'f', registry("hex(1):43,00,3a,00,5c,00,51,00")), "C:\\Q", {}},
    };
    // Only the string types name a folder.
    for (const char* data : {"dword:00000001", "hex:43,00,3a,00,00,00", "str(4):\"C:\\\\Q\"",
                             "hex(ffffffff):00", "\"\""}) {
        rows.emplace_back(data, Put(reg, 'f', registry(data)), "", Lines{});
    }
    for (const auto& [name, make, dir, want] : rows) {
        SCOPED_TRACE(name);
        fs::remove_all(day);
        fs::remove_all(reg);
        server.SetDirectory("Connectors\\SMTP", kDir);
        AppendBytes(day, real + "\r\n");
        make();
        const auto check = [&] {
            RecordingFollower f;
            f.SetLoadHistoricData(true);
            f.Initialise();
            f.ScanFile();
            EXPECT_EQ(f.LoggingDirectory(), dir);
            EXPECT_EQ(f.entries, want);
            EXPECT_EQ(f.Scan(), Lines{});
            EXPECT_EQ(f.ReadPosition(), f.GetLastActivity());
        };
        EXPECT_EQ(RunBounded(60, check), 0);
    }
}

// A log through hard times. Denied when the follower starts, the scan says why
// it lists nothing (a state tst_ui cannot reach as root); granted, the file is
// read from its first byte. Deleted and made again, longer, on the old one's
// inode as ext4 gives it at once, it is another file, read from its first
// byte: the birth time tells them apart. Past 2 GiB, denied, it lists nothing
// and the position stays; granted, what was written meanwhile comes. Root,
// whom permissions do not stop, is nobody here.
TEST(BadInput, ALogMadeAnewDeniedAndGrantedIsFollowed) {
    SmtpServer server;
    const fs::path day = server.Day(), prefix = getenv("WINEPREFIX");
    AppendBytes(day, "an old line number one\r\n");
    constexpr uid_t kNobody = 65534;
    const bool root = ::geteuid() == 0;
    bool owned = !root || ::chown(prefix.c_str(), kNobody, kNobody) == 0;
    for (const auto& entry : fs::recursive_directory_iterator(prefix)) {
        owned = (!root || ::lchown(entry.path().c_str(), kNobody, kNobody) == 0) && owned;
    }
    if (!owned) GTEST_SKIP() << "cannot give the prefix to nobody (uid 65534)";
    const int status = RunBounded(60, [&] {
        if (root && (::setgroups(0, nullptr) || ::setgid(kNobody) || ::setuid(kNobody))) {
            ::_exit(77);
        }
        RecordingFollower f, g;
        fs::permissions(day, fs::perms::none);
        f.Initialise();
        EXPECT_EQ(f.Scan(), Lines{});
        EXPECT_EQ(f.LastScan().state, activity::ScanState::AccessDenied);
        fs::permissions(day, fs::perms(0644));
        EXPECT_EQ(f.Scan(), Lines{"an old line number one"});
        EXPECT_EQ(f.LastScan().state, activity::ScanState::Following);
        const auto birth = [&] {
            struct statx sx {};
            ::statx(AT_FDCWD, day.c_str(), 0, STATX_INO | STATX_BTIME, &sx);
            return std::pair(sx.stx_ino,
                             sx.stx_btime.tv_sec * 1'000'000'000 + sx.stx_btime.tv_nsec);
        };
        const auto old = birth();
        // Birth times tick every few ms: a real replacement is born on another
        // tick than the file it replaces, so this one waits for one.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        do {
            fs::remove(day);
            AppendBytes(day, "a new file, longer than the old one\r\n");
        } while (birth() == old && std::chrono::steady_clock::now() < deadline);
        ASSERT_NE(birth(), old) << "this file system tells neither inode nor birth time apart";
        EXPECT_EQ(f.Scan(), Lines{"a new file, longer than the old one"});

        fs::resize_file(day, 3ull << 30);  // sparse
        AppendBytes(day, "\r\nan old line before the start\r\n");
        g.Initialise();
        const std::int64_t start = g.ReadPosition();
        EXPECT_EQ(start, FileSize(day));
        AppendBytes(day, "written before the denial\r\n");
        fs::permissions(day, fs::perms::none);
        EXPECT_EQ(g.Scan(), Lines{});
        EXPECT_EQ(g.ReadPosition(), start);
        EXPECT_EQ(g.GetLastActivity(), 0);
        fs::permissions(day, fs::perms(0644));
        AppendBytes(day, "and a line after it\r\n");
        EXPECT_EQ(g.Scan(), (Lines{"written before the denial", "and a line after it"}));
    });
    if (status == 77) GTEST_SKIP() << "cannot become nobody (uid 65534)";
    EXPECT_EQ(status, 0);
}
