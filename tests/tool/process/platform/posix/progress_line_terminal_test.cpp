// SPDX-License-Identifier: MIT
// Long work shows what it is doing on a terminal's standard error, and wipes that line before
// the command's own output. The work here is a load that waits on a FIFO the test fills when it
// has seen the line, so nothing depends on how fast the machine is. On a pipe nothing is shown:
// every golden test compares standard error exactly.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

// Reads the terminal until `wanted` has been said, or a minute has passed (so that a broken
// build fails rather than hangs).
void ReadUntil(int terminal, std::string& said, const std::string& wanted) {
    for (int polls = 0; said.find(wanted) == std::string::npos && polls < 600; ++polls) {
        pollfd ready = {terminal, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        char bytes[256];
        const ssize_t got = ::read(terminal, bytes, sizeof bytes);
        if (got > 0) said.append(bytes, static_cast<std::size_t>(got));
    }
}

TEST(ProgressLine, ATerminalSeesTheStepUnderWayAndTheLineIsWipedBeforeTheOutput) {
    TempDir dir;
    const std::string fifo = dir / "board.blocks";
    const std::string output = dir / "stdout";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const std::string name = ::ptsname(terminal);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int error = ::open(name.c_str(), O_RDWR | O_NOCTTY);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (error < 0 || out < 0 || ::dup2(error, STDERR_FILENO) < 0 ||
            ::dup2(out, STDOUT_FILENO) < 0 || ::setenv("REUSEBLOCKS_PROGRESS_DELAY", "0", 1) != 0) {
            ::_exit(126);
        }
        ::execl(REUSEBLOCKS_TOOL, "reuseblocks", "check", fifo.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string said;
    ReadUntil(terminal, said, "s)");
    EXPECT_NE(said.find("\rreuseblocks: checking \"" + fifo + "\" (0 s)\x1b[K"), std::string::npos)
        << said;
    WriteText(fifo, ReadText(REUSEBLOCKS_SAMPLE));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ReadUntil(terminal, said, "\r\x1b[K");
    ::close(terminal);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(said.find("\r\x1b[K"), std::string::npos) << said;
    EXPECT_EQ(ReadText(output).find("checking"), std::string::npos);  // only on the terminal
    EXPECT_NE(ReadText(output).find("blocks"), std::string::npos);
}

}  // namespace
}  // namespace reuseblocks::test
