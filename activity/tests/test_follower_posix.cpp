#include <sys/stat.h>

#include <gtest/gtest.h>

#include "follower_fixture.h"

namespace fs = std::filesystem;

// Neither a FIFO nor a directory at the log path counts as the log, and
// neither may block the scan.
TEST(FollowerPosix, AFifoOrADirectoryIsNotALog) {
    TestServer server;
    server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
    const fs::path day = server.LocalLogDir() / "SMTP-Activity-261206.log";
    ASSERT_EQ(mkfifo(day.c_str(), 0600), 0);
    RecordingFollower f("SMTP", 0);
    f.Initialise();
    EXPECT_EQ(f.GetLastActivity(), 0);
    EXPECT_EQ(f.Scan(), Lines{});
    fs::remove(day);
    fs::create_directory(day);
    EXPECT_EQ(f.Scan(), Lines{});
    fs::remove(day);
    AppendBytes(day, "the real log arrives\r\n");
    EXPECT_EQ(f.Scan(), Lines{"the real log arrives"});
}

// Positions past 2 GiB: a sparse file of 3 GiB with lines at its end.
TEST(FollowerPosix, FollowsFilesLargerThanTwoGigabytes) {
    TestServer server;
    server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
    const fs::path day = server.LocalLogDir() / "SMTP-Activity-261206.log";
    AppendBytes(day, "");
    fs::resize_file(day, 3ull << 30);
    AppendBytes(day, "\r\nlast line before the start\r\n");
    RecordingFollower f("SMTP", 0);
    f.Initialise();
    EXPECT_EQ(f.ReadPosition(), FileSize(day));
    EXPECT_GT(f.ReadPosition(), std::int64_t{3} << 30);
    AppendBytes(day, "a line beyond three gigabytes\r\n");
    EXPECT_EQ(f.Scan(), Lines{"a line beyond three gigabytes"});
    EXPECT_EQ(f.ReadPosition(), FileSize(day));
}
