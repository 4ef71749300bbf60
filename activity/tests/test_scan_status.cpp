// What a scan says it saw when the log is there but denied: the one state the
// activity window's walk through a log (tst_ui) cannot reach as root.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "recording_follower.h"

using activity::ScanState;

// Denied, then granted by its owner: the scan says why it lists nothing, then
// lists what the file held. As nobody when root, whom permissions do not stop,
// in a child that an alarm bounds.
TEST(ScanStatus, ADeniedLogIsSaidSoUntilGranted) {
    SmtpServer server;
    const std::filesystem::path day = server.Day();
    AppendBytes(day, "written while it was denied\r\n");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(day.c_str(), 65534, 65534), 0);
    }
    std::filesystem::permissions(day, std::filesystem::perms::none);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(30);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) || ::setgid(65534) || ::setuid(65534))) {
            ::_exit(77);
        }
        RecordingFollower f;
        f.Initialise();
        const bool denied = f.Scan().empty() && f.LastScan().state == ScanState::AccessDenied;
        std::filesystem::permissions(day, std::filesystem::perms(0644));
        const bool granted = f.Scan() == Lines{"written while it was denied"} &&
                             f.LastScan().state == ScanState::Following;
        ::_exit(denied && granted ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody";
    EXPECT_EQ(status, 0);
}
