// What only a POSIX system can set up: a file size limit, permission bits, symlinks, hard links.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "reuseblocks/reuseblocks.h"
#include "test_support.h"
#include "written_file.h"

namespace {

TEST(WriteFileTest, DeviceWithNoRoomReturnsZero) {
    CReuseBlockFile blocks;
    blocks.NewBlock("/B1");
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(blocks.WriteFile("/dev/full", "test"), 0);
}

TEST(WriteFileTest, FailurePartWayLeavesTargetAsItWas) {
    TempDir dir;
    const std::string existing = dir.File("existing.blocks");
    const std::string fresh = dir.File("fresh.blocks");
    WriteText(existing, "previous content\n");
    CReuseBlockFile blocks;
    for (int i = 0; i < 2000; ++i) blocks.NewBlock(("/B" + std::to_string(i)).c_str())->Init();

    // The file size limit makes a write fail after some bytes went out; only a child may have it.
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        const rlimit limit{16384, 16384};
        ::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
        const int existingResult = blocks.WriteFile(existing.c_str(), "test");
        const int freshResult = blocks.WriteFile(fresh.c_str(), "test");
        ::_exit(existingResult * 2 + freshResult);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(existing), "previous content\n");
    EXPECT_EQ(EntryCount(dir), 1u);  // no temporary file, no half-written new file

    ASSERT_EQ(blocks.WriteFile(existing.c_str(), "test"), 1);
    EXPECT_GT(ReadFile(existing).size(), 16384u);
}

TEST(WriteFileTest, ReplacementKeepsModeLinksAndSymlinks) {
    TempDir dir;
    CReuseBlockFile blocks;
    blocks.NewBlock("/B1");
    const std::string body = "/B1            \n";
    struct stat info {};

    const std::string restricted = dir.File("restricted.blocks");
    WriteText(restricted, "old\n");
    ASSERT_EQ(::chmod(restricted.c_str(), 0640), 0);
    ASSERT_EQ(blocks.WriteFile(restricted.c_str(), "test"), 1);
    ASSERT_EQ(::stat(restricted.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Body(restricted), body);

    const mode_t mask = ::umask(0);
    ::umask(mask);
    const std::string fresh = dir.File("fresh.blocks");
    ASSERT_EQ(blocks.WriteFile(fresh.c_str(), "test"), 1);
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0666u & ~mask);

    // A symlink stays a link, and the file it names gets the text; a dangling one creates it.
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    WriteText(dir.File("real/target.blocks"), "old\n");
    ASSERT_EQ(::symlink("real/target.blocks", dir.File("link.blocks").c_str()), 0);
    ASSERT_EQ(::symlink("real/later.blocks", dir.File("dangling.blocks").c_str()), 0);
    for (const char* link : {"link.blocks", "dangling.blocks"}) {
        ASSERT_EQ(blocks.WriteFile(dir.File(link).c_str(), "test"), 1);
        ASSERT_EQ(::lstat(dir.File(link).c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << link;
    }
    EXPECT_EQ(Body(dir.File("real/target.blocks")), body);
    EXPECT_EQ(Body(dir.File("real/later.blocks")), body);

    // A rename would split two hard links, so such a file is written in place.
    const std::string first = dir.File("first.blocks");
    const std::string second = dir.File("second.blocks");
    WriteText(first, "old\n");
    ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
    ASSERT_EQ(blocks.WriteFile(second.c_str(), "test"), 1);
    EXPECT_EQ(Body(first), body);
    ASSERT_EQ(::stat(first.c_str(), &info), 0);
    EXPECT_EQ(info.st_nlink, 2u);

    EXPECT_EQ(EntryCount(dir), 7u);  // no temporary file left behind
}

}  // namespace
