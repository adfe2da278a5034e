// SPDX-License-Identifier: MIT
// Hostile input only a POSIX system can set up: symlink loops, devices, permissions, FIFOs.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "bad_input_fixture.h"

namespace {

TEST_F(BadInput, PathsThatAreNotReadableFilesOnPosix) {
    ASSERT_EQ(::symlink("loop-b", m_dir.File("loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", m_dir.File("loop-b").c_str()), 0);
    EXPECT_EQ(m_blocks.LoadFile(m_dir.File("loop-a").c_str()), -1);
    ASSERT_EQ(::symlink("missing", m_dir.File("dangling").c_str()), 0);
    EXPECT_EQ(m_blocks.LoadFile(m_dir.File("dangling").c_str()), -1);
    EXPECT_EQ(m_blocks.LoadFile("/dev/null"), 0);

    if (::geteuid() != 0) {
        fault::WriteBytes(m_input, kDefinition + "\n");
        ASSERT_EQ(::chmod(m_input.c_str(), 0), 0);
        EXPECT_EQ(m_blocks.LoadFile(m_input.c_str()), -1);
    }
    EXPECT_EQ(Count(), 2u);
}

void Interrupted(int) {}

// A FIFO reads as cat reads it: whatever its writer writes, however late that writer comes; a
// signal the host handles ends the wait.
TEST_F(BadInput, FifoWaitsForItsWriterAsCatDoes) {
    const std::string fifo = m_dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(20);  // should loading ever hang, fail instead

    const pid_t late = ::fork();
    ASSERT_GE(late, 0);
    if (late == 0) {
        ::alarm(20);  // nor may the writer wait for ever
        ::usleep(300 * 1000);
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
        const std::string text = kDefinition + "\n" + kMapping + "\n";
        ::_exit(writer >= 0 && ::write(writer, text.data(), text.size()) ==
                                   static_cast<ssize_t>(text.size())
                    ? 0
                    : 1);
    }
    EXPECT_EQ(m_blocks.LoadFile(fifo.c_str()), 0);
    int status = -1;
    ASSERT_EQ(::waitpid(late, &status, 0), late);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Block("/TOP/B1").rows.size(), 1u);

    struct sigaction handler {};
    handler.sa_handler = Interrupted;  // no SA_RESTART: the wait ends with the signal
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGALRM, &handler, &previous), 0);
    ::alarm(1);
    EXPECT_EQ(m_blocks.LoadFile(fifo.c_str()), -1);
    ::alarm(0);
    ::sigaction(SIGALRM, &previous, nullptr);
    EXPECT_EQ(Count(), 3u);
}

}  // namespace
