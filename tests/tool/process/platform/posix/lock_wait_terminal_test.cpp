// SPDX-License-Identifier: MIT
// An edit that waits for another's lock says so when a person is watching standard error, and
// only then: on a pipe it says nothing (EditSafety.ConcurrentEditsTakeTurns).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

TEST(LockWait, AnEditWaitingOnATerminalSaysWhyAndGoesOnWhenTheLockIsFree) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, ReadText(REUSEBLOCKS_SAMPLE));
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const std::string name = ::ptsname(terminal);

    auto lock = std::make_unique<EditLock>(file);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int error = ::open(name.c_str(), O_RDWR | O_NOCTTY);
        if (error < 0 || ::dup2(error, STDERR_FILENO) < 0) ::_exit(126);
        ::execl(REUSEBLOCKS_TOOL, "reuseblocks", "set", file.c_str(), "/TOP/PSU1", "XLOC=7",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // What the edit writes on the terminal, until it says that it waits (or a minute passes, so
    // that a broken build fails rather than hangs).
    std::string said;
    for (int polls = 0; said.find('\n') == std::string::npos && polls < 600; ++polls) {
        pollfd ready = {terminal, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        char bytes[256];
        const ssize_t got = ::read(terminal, bytes, sizeof bytes);
        if (got > 0) said.append(bytes, static_cast<std::size_t>(got));
    }
    EXPECT_NE(said.find("reuseblocks: note: waiting for another edit of \"" + file +
                        "\" to finish (--no-wait fails instead)"),
              std::string::npos)
        << said;
    lock.reset();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(ReadText(file).find("/TOP/PSU1 $REUSE/power/buck_3v3 Replica Placed 7 "),
              std::string::npos);
}

}  // namespace
}  // namespace reuseblocks::test
