// SPDX-License-Identifier: MIT
// Hostile input only a POSIX system can set up: symlink loops, devices, permissions, FIFOs.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
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

TEST_F(BadInput, FifoReadsWhatItsWriterWroteAndNeverWaitsForOne) {
    const std::string fifo = m_dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(20);  // should loading ever wait for a writer again, fail instead of hanging

    // Nobody writes: nothing to read, as from an empty file.
    EXPECT_EQ(m_blocks.LoadFile(fifo.c_str()), 0);
    EXPECT_EQ(Count(), 2u);

    // A writer that has written and gone: its text stays in the pipe while a reader holds it.
    const int keeper = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(keeper, 0);
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const std::string text = kDefinition + "\n" + kMapping + "\n";
    ASSERT_EQ(::write(writer, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ASSERT_EQ(::close(writer), 0);
    EXPECT_EQ(m_blocks.LoadFile(fifo.c_str()), 0);
    ::close(keeper);
    ::alarm(0);
    EXPECT_EQ(Block("/TOP/B1").rows.size(), 1u);
}

}  // namespace
