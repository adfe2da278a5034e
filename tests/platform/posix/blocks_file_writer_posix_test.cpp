// SPDX-License-Identifier: MIT
// What only a POSIX system can set up: a file size limit, permission bits, symlinks, hard links,
// streams reached through /dev/fd and /proc, pipes and signals, ACLs, owners.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "reuseblocks/diagnostics.h"
#include "reuseblocks/edit.h"
#include "reuseblocks/reuseblocks.h"
#include "test_support.h"
#include "written_file.h"

namespace {

TEST(WriteFileTest, DeviceWithNoRoomReturnsZero) {
    CReuseBlockFile blocks;
    blocks.NewBlock("/B1");
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(blocks.WriteFile("/dev/full", "test"), 0);
    const reuseblocks::WriteReport report =
        reuseblocks::WriteFileWithReport(blocks, "/dev/full", "test");
    EXPECT_EQ(report.result, 0);
    EXPECT_EQ(report.step, reuseblocks::WriteStep::kFlush);
    EXPECT_EQ(report.systemError, ENOSPC);
    EXPECT_EQ(report.message,
              "cannot write \"/dev/full\": No space left on device (while flushing)");
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

// Another program saving the same file (its own complete copy renamed over the name) while this
// one writes it, straight or through a link: every write puts its text there or tells a cause
// the system gave, never one left over from a look that found the name changed.
TEST(WriteFileTest, RenamesOverTheTargetMeanwhile) {
    TempDir dir;
    CReuseBlockFile blocks;
    AddPlainBlock(blocks, "/B1");
    const std::string target = dir.File("board.blocks");
    ASSERT_EQ(blocks.WriteFile(target.c_str(), "test"), 1);
    const std::string theirs = ReadFile(target);
    ASSERT_EQ(::symlink("board.blocks", dir.File("link.blocks").c_str()), 0);

    std::atomic<bool> done{false};
    std::thread saver([&] {
        const std::string staged = dir.File("staged");
        for (int round = 0; round < 1000000 && !done.load(); ++round) {
            WriteText(staged, theirs);
            if (::rename(staged.c_str(), target.c_str()) != 0) break;
        }
    });
    std::vector<std::string> failures;
    for (int round = 0; round < 400; ++round) {
        const std::string path = dir.File(round % 2 ? "link.blocks" : "board.blocks");
        const reuseblocks::WriteReport report =
            reuseblocks::WriteFileWithReport(blocks, path.c_str(), "test");
        // Looked at again and again and found changed each time: said so.
        const bool changing =
            report.step == reuseblocks::WriteStep::kOpen && report.systemError == EAGAIN;
        if (!report.Succeeded() && !changing) failures.push_back(report.message);
    }
    done = true;
    saver.join();
    EXPECT_EQ(failures.size(), 0u) << (failures.empty() ? "" : failures.front());
    CReuseBlockFile loaded;  // whichever came last, whole
    EXPECT_EQ(loaded.LoadFile(target.c_str()), 0) << ReadFile(target);
    EXPECT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(EntryCount(dir), 2u);  // no temporary file left behind
}

// A path that leads nowhere: the report tells why in the system's words, or for a link whose
// folder is missing where the link leads, and names the path once, however long.
TEST(WriteReportTest, PathsThatLeadNowhereSayWhy) {
    TempDir dir;
    CReuseBlockFile blocks;
    AddPlainBlock(blocks, "/B1");
    const std::string board = dir.File("board.blocks");
    ASSERT_EQ(blocks.WriteFile(board.c_str(), "test"), 1);
    ASSERT_EQ(::symlink("loop-b", dir.File("loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", dir.File("loop-b").c_str()), 0);
    ASSERT_EQ(::symlink("gone/board.blocks", dir.File("dangling").c_str()), 0);
    std::string tooLong = dir.Path();
    while (tooLong.size() <= PATH_MAX) tooLong += "/" + std::string(200, 'a');
    tooLong += "/board.blocks";

    struct Case {
        std::string path;
        int error;
        std::string why;
    };
    for (const Case& expected : {
             Case{dir.File("loop-a"), ELOOP, std::strerror(ELOOP)},
             Case{dir.File("loop-a/board.blocks"), ELOOP, std::strerror(ELOOP)},
             Case{dir.File("dangling"), ENOENT,
                  "it links to \"gone/board.blocks\", in a folder that does not exist"},
             Case{tooLong, ENAMETOOLONG, std::strerror(ENAMETOOLONG)},
         }) {
        const std::string message =
            "cannot write \"" + expected.path + "\": " + expected.why + " (while opening)";
        const reuseblocks::WriteReport written =
            reuseblocks::WriteFileWithReport(blocks, expected.path.c_str(), "test");
        EXPECT_EQ(written.step, reuseblocks::WriteStep::kOpen);
        EXPECT_EQ(written.systemError, expected.error);
        EXPECT_TRUE(written.message == message) << written.message.substr(0, 300);
        // An edit written elsewhere says the same.
        const reuseblocks::UpdateReport updated =
            reuseblocks::UpdateFileWithReport(blocks, board.c_str(), expected.path.c_str(), {});
        EXPECT_EQ(updated.systemError, expected.error);
        EXPECT_TRUE(updated.message == message) << updated.message.substr(0, 300);
    }
    // A control byte in the path is shown escaped by either, so the message stays one line.
    const std::string broken = dir.File("gone\nfolder/board.blocks");
    const std::string shown = "cannot write \"" + dir.File("gone\\nfolder/board.blocks") +
                              "\": " + std::strerror(ENOENT) + " (while opening)";
    EXPECT_EQ(reuseblocks::WriteFileWithReport(blocks, broken.c_str(), "test").message, shown);
    EXPECT_EQ(reuseblocks::UpdateFileWithReport(blocks, board.c_str(), broken.c_str(), {}).message,
              shown);
    EXPECT_EQ(EntryCount(dir), 4u);
}

TEST(WriteFileTest, LineBreakFoundLateOnAStreamWritesNothing) {
    TempDir dir;
    const std::string path = dir.File("kept.blocks");
    WriteText(path, "kept\n");
    CReuseBlockFile blocks;
    for (int i = 0; i < 30000; ++i) blocks.NewBlock(("/MANY" + std::to_string(i)).c_str())->Init();
    blocks.NewBlock("/LAST")->SetProperty(5, "1\n2");
    // A stream cannot be taken back: nothing may go out before the whole text has been checked.
    const int stream = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(stream, 0);
    EXPECT_EQ(blocks.WriteFile(("/dev/fd/" + std::to_string(stream)).c_str(), "test"), 0);
    ::close(stream);
    EXPECT_EQ(ReadFile(path), "kept\n");
}

TEST(WriteFileTest, HeldStreamsAreWrittenThroughTheOpenFile) {
    TempDir dir;
    const std::string log = dir.File("log.txt");
    CReuseBlockFile blocks;
    blocks.NewBlock("/B1");
    WriteText(log, "old line\n");
    struct stat before {};
    ASSERT_EQ(::stat(log.c_str(), &before), 0);
    const int appending = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(appending, 0);
    const std::string fd = std::to_string(appending);
    for (const std::string& name : {"/dev/fd/" + fd, "/proc/self/fd/" + fd, "/dev/./fd/" + fd}) {
        ASSERT_EQ(blocks.WriteFile(name.c_str(), "test"), 1) << name;
    }
    // Another process's open file: appended to, as it appends.
    const pid_t holder = ::fork();
    ASSERT_NE(holder, -1);
    if (holder == 0) {
        ::pause();
        ::_exit(0);
    }
    const std::string other = "/proc/" + std::to_string(holder) + "/fd/" + fd;
    EXPECT_EQ(blocks.WriteFile(other.c_str(), "test"), 1);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(appending);
    struct stat after {};
    ASSERT_EQ(::stat(log.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, not one renamed over it
    const std::string text = ReadFile(log);
    ASSERT_EQ(blocks.WriteFile(dir.File("once").c_str(), "test"), 1);
    const std::string once = ReadFile(dir.File("once"));
    EXPECT_EQ(text.size(), 9 + 4 * once.size());
    EXPECT_EQ(text.substr(0, 9), "old line\n");
    EXPECT_EQ(WithoutDate(text.substr(9, once.size())), WithoutDate(once));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"log.txt", "once"}));
}

// In a child, as the host would see it: SIGPIPE's default action kills the process.
TEST(WriteFileTest, PipesNeverHangOrKillTheHost) {
    TempDir dir;
    CReuseBlockFile blocks;
    for (int i = 0; i < 20000; ++i) blocks.NewBlock(("/B" + std::to_string(i)).c_str());
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::signal(SIGPIPE, SIG_DFL);
        ::alarm(20);
        int ends[2];
        if (::pipe(ends) != 0) ::_exit(10);
        ::close(ends[0]);  // the reader is gone
        const std::string writeEnd = "/dev/fd/" + std::to_string(ends[1]);
        if (blocks.WriteFile(fifo.c_str(), "test") != 0) ::_exit(11);  // no reader: at once
        if (blocks.WriteFile(writeEnd.c_str(), "test") != 0) ::_exit(12);
        sigset_t pending, mask;
        ::sigpending(&pending);
        ::pthread_sigmask(SIG_SETMASK, nullptr, &mask);
        ::_exit(sigismember(&pending, SIGPIPE) || sigismember(&mask, SIGPIPE) ? 13 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// The raw form of an ACL granting the owner rw, user 60003 nothing, the group and the mask rw,
// others r: what a careless rewrite would widen.
std::string AccessAcl() {
    const std::array<std::array<std::uint32_t, 2>, 5> entries = {{{0x0001 | 6u << 16, ~0u},
                                                                  {0x0002 | 0u << 16, 60003},
                                                                  {0x0004 | 6u << 16, ~0u},
                                                                  {0x0010 | 6u << 16, ~0u},
                                                                  {0x0020 | 4u << 16, ~0u}}};
    std::string acl("\x02\0\0\0", 4);
    for (const auto& entry : entries) acl.append(reinterpret_cast<const char*>(&entry), 8);
    return acl;
}

std::string Attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? "(none)" : std::string(value, static_cast<std::size_t>(size));
}

TEST(WriteFileTest, SharedFilesKeepWhoMayUseThem) {
    TempDir dir;
    const std::string path = dir.File("shared.blocks");
    CReuseBlockFile blocks;
    blocks.NewBlock("/B1");
    WriteText(path, "old\n");
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    if (::setxattr(path.c_str(), "user.origin", "kept", 4, 0) != 0 ||
        ::setxattr(path.c_str(), "system.posix_acl_access", AccessAcl().data(), AccessAcl().size(),
                   0) != 0) {
        GTEST_SKIP() << "the file system here takes no extended attributes or ACLs";
    }
    ASSERT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    EXPECT_EQ(Attribute(path, "user.origin"), "kept");
    EXPECT_EQ(Attribute(path, "system.posix_acl_access"), AccessAcl());
    EXPECT_EQ(Body(path), "/B1            \n");

    if (::geteuid() != 0) GTEST_SKIP() << "two users sharing a group need root to make up";
    // Owned by one made-up user, saved by another who shares its group: the owner cannot be
    // carried, so the file is written in place and keeps owner, group, mode and ACL.
    const uid_t owner = 60001, saver = 60002;
    const gid_t shared = 60100, saverOwn = 60200;
    ASSERT_EQ(::chown(path.c_str(), owner, shared), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    blocks.NewBlock("/B2");
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (::setgroups(1, &shared) != 0 || ::setresgid(saverOwn, saverOwn, saverOwn) != 0 ||
            ::setresuid(saver, saver, saver) != 0) {
            ::_exit(10);
        }
        ::_exit(blocks.WriteFile(path.c_str(), "test"));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, shared);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(Attribute(path, "system.posix_acl_access"), AccessAcl());
    EXPECT_NE(Body(path).find("/B2"), std::string::npos);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"shared.blocks"});
}

// A link planted in a shared sticky directory must not make the writer create a file the kernel
// would refuse to create through it.
TEST(WriteFileTest, LinksAreFollowedOnlyByTheKernel) {
    if (::geteuid() != 0) GTEST_SKIP() << "planting another user's link needs root";
    // Where it is off: SystemCallFailure.WhatPermissionsRefuseAsTheSystemRefusesIt.
    if (ReadFile("/proc/sys/fs/protected_symlinks") != "1\n") {
        GTEST_SKIP() << "fs.protected_symlinks is off here";
    }
    TempDir dir;
    const std::string shared = dir.File("shared");
    ASSERT_EQ(::mkdir(shared.c_str(), 01777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string planted = shared + "/victim.blocks";
    ASSERT_EQ(::symlink(dir.File("chosen.blocks").c_str(), planted.c_str()), 0);
    ASSERT_EQ(::lchown(planted.c_str(), 60001, 60001), 0);
    CReuseBlockFile blocks;
    blocks.NewBlock("/B1");
    EXPECT_EQ(blocks.WriteFile(planted.c_str(), "test"), 0);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"shared"});
}

}  // namespace
