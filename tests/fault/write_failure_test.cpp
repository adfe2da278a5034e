// SPDX-License-Identifier: MIT
// Writes that fail at the operating system: a full device, a file-size limit reached part-way, a
// directory that refuses new files or is gone. Each gives 0, leaves no temporary file and no
// open descriptor, and leaves an existing target as it was.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "fault_support.h"
#include "reuseblocks/diagnostics.h"

namespace {

const std::string kPrevious = "# the previous file, which a failed write must leave alone\n";

// About 400 KB when written.
void FillCollection(CReuseBlockFile& blocks, int copy = 0) {
    for (int b = 0; b < 2000; ++b) {
        CReuseBlock* block =
            blocks.NewBlock(("/TOP/B" + std::to_string(copy) + "_" + std::to_string(b)).c_str());
        block->Init();
        block->SetProperty(1, "$REUSE/other_libs/optics/with/a/rather/long/path");
        for (std::uint32_t index = 4; index < 11; ++index) block->SetProperty(index, "0");
        const std::uint32_t row = block->NewLayerMap();
        for (std::uint32_t column = 0; column < 4; ++column) {
            block->GetLayerMap(row, column) = "LAYER_NAME_0123456789";
        }
    }
}

// The step and error WriteFileWithReport tells in a child whose files may not grow beyond
// `limit` bytes, as "step errno", or "died" when the child ended any other way.
std::string ReportUnderFileSizeLimit(const CReuseBlockFile& blocks, const std::string& target,
                                     rlim_t limit) {
    int pipe[2];
    if (::pipe(pipe) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) ::_exit(3);
        const reuseblocks::WriteReport report =
            reuseblocks::WriteFileWithReport(blocks, target.c_str(), "fault");
        const std::string told = std::to_string(static_cast<int>(report.step)) + " " +
                                 std::to_string(report.systemError);
        const bool sent =
            ::write(pipe[1], told.data(), told.size()) == static_cast<ssize_t>(told.size());
        ::_exit(sent ? 0 : 4);
    }
    ::close(pipe[1]);
    char buffer[64] = {};
    const ssize_t got = ::read(pipe[0], buffer, sizeof buffer - 1);
    ::close(pipe[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0 || got <= 0) {
        return "died";
    }
    return std::string(buffer, static_cast<std::size_t>(got));
}

std::string StepAndError(reuseblocks::WriteStep step, int error) {
    return std::to_string(static_cast<int>(step)) + " " + std::to_string(error);
}

// Runs WriteFile in a child whose files may not grow beyond `limit` bytes and that may hold no
// more than `descriptors` open files; SIGXFSZ is ignored so that the write fails with EFBIG
// instead of killing the child, unless `killed`. Returns WriteFile's result, or -1 when the child
// ended any other way.
int WriteUnderFileSizeLimit(CReuseBlockFile& blocks, const std::string& target, rlim_t limit,
                            rlim_t descriptors = RLIM_INFINITY, bool killed = false) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
        const rlimit small{limit, limit};
        const rlimit few{descriptors, descriptors};
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) ::_exit(3);
        // Under valgrind, which keeps descriptors of its own, only the size limit may hold.
        if (descriptors != RLIM_INFINITY) static_cast<void>(::setrlimit(RLIMIT_NOFILE, &few));
        ::_exit(blocks.WriteFile(target.c_str(), "fault"));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? WEXITSTATUS(status) : -1;
}

TEST(WriteFailure, FullDeviceAndFileSizeLimitGiveZeroAndKeepTheTarget) {
    CReuseBlockFile blocks;
    FillCollection(blocks);
    const int descriptors = fault::OpenDescriptors();
    EXPECT_EQ(blocks.WriteFile("/dev/full", "fault"), 0);
    EXPECT_EQ(fault::OpenDescriptors(), descriptors);

    fault::ScratchDir dir;
    const std::string target = dir.File("board.blocks");
    fault::WriteBytes(target, kPrevious);
    EXPECT_EQ(WriteUnderFileSizeLimit(blocks, target, 64 * 1024), 0);
    EXPECT_TRUE(fault::ReadBytes(target) == kPrevious) << "changed in place";
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});

    // A target that did not exist is not created half-written.
    EXPECT_EQ(WriteUnderFileSizeLimit(blocks, dir.File("new.blocks"), 64 * 1024), 0);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});
    ASSERT_EQ(::symlink("new.blocks", dir.File("link").c_str()), 0);  // nor through a link
    EXPECT_EQ(WriteUnderFileSizeLimit(blocks, dir.File("link"), 64 * 1024), 0);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"board.blocks", "link"}));
    ASSERT_EQ(::unlink(dir.File("link").c_str()), 0);

    // With two hard links the file is written in place: room for the whole text is made before
    // a byte of it changes, so the failure leaves it as it was too.
    ASSERT_EQ(::link(target.c_str(), dir.File("second-link").c_str()), 0);
    EXPECT_EQ(WriteUnderFileSizeLimit(blocks, target, 64 * 1024), 0);
    EXPECT_TRUE(fault::ReadBytes(target) == kPrevious) << "changed in place";

    // The limit is what failed: without it the same write succeeds.
    EXPECT_EQ(WriteUnderFileSizeLimit(blocks, dir.File("new.blocks"), RLIM_INFINITY), 1);

    // The report tells the step and the system's error: the text of a small file goes out in
    // one flush at the end; a larger one while it is being made.
    const reuseblocks::WriteReport full =
        reuseblocks::WriteFileWithReport(blocks, "/dev/full", "x");
    EXPECT_EQ(StepAndError(full.step, full.systemError),
              StepAndError(reuseblocks::WriteStep::kFlush, ENOSPC));
    EXPECT_EQ(ReportUnderFileSizeLimit(blocks, dir.File("new.blocks"), 64 * 1024),
              StepAndError(reuseblocks::WriteStep::kFlush, EFBIG));
    CReuseBlockFile larger;
    for (int copy = 0; copy < 4; ++copy) FillCollection(larger, copy);
    EXPECT_EQ(ReportUnderFileSizeLimit(larger, dir.File("new.blocks"), 64 * 1024),
              StepAndError(reuseblocks::WriteStep::kWrite, EFBIG));
    EXPECT_EQ(ReportUnderFileSizeLimit(larger, target, 64 * 1024),
              StepAndError(reuseblocks::WriteStep::kInPlace, EFBIG));  // before any of it
    EXPECT_TRUE(fault::ReadBytes(target) == kPrevious) << "changed in place";
}

// A file written in place that is larger than the limit already: the new text would go over the
// old within its length, and still not all of it may be written.
TEST(WriteFailure, InPlaceOverALargerFileBeyondTheLimitChangesNothing) {
    CReuseBlockFile blocks;
    FillCollection(blocks);
    fault::ScratchDir dir;
    const std::string target = dir.File("board.blocks");
    std::string previous;
    while (previous.size() < 1024 * 1024) previous += kPrevious;
    fault::WriteBytes(target, previous);
    ASSERT_EQ(::link(target.c_str(), dir.File("second-link").c_str()), 0);
    EXPECT_EQ(ReportUnderFileSizeLimit(blocks, target, 64 * 1024),
              StepAndError(reuseblocks::WriteStep::kInPlace, EFBIG));
    EXPECT_TRUE(fault::ReadBytes(target) == previous) << "changed in place";

    // Without the limit the new text replaces all of the old, the rest of it cut off.
    EXPECT_EQ(WriteUnderFileSizeLimit(blocks, target, RLIM_INFINITY), 1);
    const std::string written = fault::ReadBytes(target);
    EXPECT_LT(written.size(), previous.size());
    EXPECT_EQ(written.find(kPrevious), std::string::npos);
    EXPECT_TRUE(fault::ReadBytes(dir.File("second-link")) == written);
    CReuseBlockFile loaded;
    EXPECT_EQ(loaded.LoadFile(target.c_str()), 0);
    EXPECT_EQ(loaded.GetCount(), blocks.GetCount());
}

// Whatever keeps the temporary file from being made (here: no descriptor left), the target is
// never emptied and written in place instead; a name near the limit leaves room for it.
TEST(WriteFailure, NoTemporaryFileMeansNoWriteAtAll) {
    CReuseBlockFile blocks;
    FillCollection(blocks);
    fault::ScratchDir dir;
    const std::string target = dir.File(std::string(248, 'n') + ".blocks");
    fault::WriteBytes(target, kPrevious);
    const int free = ::dup(0);
    ::close(free);
    for (rlim_t descriptors = static_cast<rlim_t>(free); descriptors < rlim_t(free) + 6;
         ++descriptors) {
        EXPECT_EQ(WriteUnderFileSizeLimit(blocks, target, 64 * 1024, descriptors), 0);
        EXPECT_EQ(fault::ReadBytes(target), kPrevious) << descriptors << " descriptors";
    }
    // Killed part-way, the write leaves no temporary file behind where the system allows that.
    EXPECT_EQ(WriteUnderFileSizeLimit(blocks, target, 64 * 1024, RLIM_INFINITY, true), -1);
    EXPECT_EQ(fault::ReadBytes(target), kPrevious);
#if defined(__linux__)
    EXPECT_EQ(dir.Entries().size(), 1u);
#endif
    EXPECT_EQ(WriteUnderFileSizeLimit(blocks, target, RLIM_INFINITY), 1);
    EXPECT_EQ(dir.Entries().size(), 1u);
}

TEST(WriteFailure, DirectoryThatRefusesNewFilesOrIsGoneGivesZero) {
    CReuseBlockFile blocks;
    FillCollection(blocks);
    const int descriptors = fault::OpenDescriptors();

    // Not even root may create files here.
    EXPECT_EQ(blocks.WriteFile("/proc/self/board.blocks", "fault"), 0);
    const reuseblocks::WriteReport proc =
        reuseblocks::WriteFileWithReport(blocks, "/proc/self/board.blocks", "fault");
    EXPECT_EQ(proc.step, reuseblocks::WriteStep::kOpen);
    EXPECT_NE(proc.systemError, 0);

    fault::ScratchDir dir;
    const std::string gone = dir.File("gone");
    ASSERT_EQ(::mkdir(gone.c_str(), 0700), 0);
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    EXPECT_EQ(blocks.WriteFile((gone + "/board.blocks").c_str(), "fault"), 0);
    const reuseblocks::WriteReport missing =
        reuseblocks::WriteFileWithReport(blocks, (gone + "/board.blocks").c_str(), "fault");
    EXPECT_EQ(StepAndError(missing.step, missing.systemError),
              StepAndError(reuseblocks::WriteStep::kOpen, ENOENT));
    EXPECT_EQ(missing.message, "cannot write \"" + gone + "/board.blocks\": " +
                                   std::strerror(ENOENT) + " (while opening)");

    // The working directory removed from under the process.
    ASSERT_EQ(::mkdir(gone.c_str(), 0700), 0);
    const std::string home = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(gone.c_str()), 0);
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    EXPECT_EQ(blocks.WriteFile("board.blocks", "fault"), 0);
    ASSERT_EQ(::chdir(home.c_str()), 0);

    // A file where a directory should be, a directory as the target, a symlink loop.
    fault::WriteBytes(dir.File("plain"), kPrevious);
    EXPECT_EQ(blocks.WriteFile(dir.File("plain/board.blocks").c_str(), "fault"), 0);
    EXPECT_EQ(blocks.WriteFile(dir.Path().c_str(), "fault"), 0);
    ASSERT_EQ(::symlink("loop-b", dir.File("loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", dir.File("loop-b").c_str()), 0);
    EXPECT_EQ(blocks.WriteFile(dir.File("loop-a").c_str(), "fault"), 0);

    // A dangling link is written through, to the file it names, unless that cannot be made.
    ASSERT_EQ(::symlink("gone/board.blocks", dir.File("to-gone").c_str()), 0);
    EXPECT_EQ(blocks.WriteFile(dir.File("to-gone").c_str(), "fault"), 0);
    ASSERT_EQ(::symlink("made.blocks", dir.File("to-made").c_str()), 0);
    EXPECT_EQ(blocks.WriteFile(dir.File("to-made").c_str(), "fault"), 1);

    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"loop-a", "loop-b", "made.blocks", "plain",
                                                       "to-gone", "to-made"}));
    struct stat link {};
    EXPECT_TRUE(::lstat(dir.File("to-made").c_str(), &link) == 0 && S_ISLNK(link.st_mode));
    EXPECT_EQ(fault::ReadBytes(dir.File("plain")), kPrevious);
    EXPECT_EQ(fault::OpenDescriptors(), descriptors);
}

TEST(WriteFailure, ReadOnlyDirectory) {
    // As root: SystemCallFailure.WhatPermissionsRefuseAsTheSystemRefusesIt.
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root; /proc covers it above";
    CReuseBlockFile blocks;
    FillCollection(blocks);
    fault::ScratchDir dir;
    const std::string existing = dir.File("board.blocks");
    fault::WriteBytes(existing, kPrevious);

    // A read-only file is not replaced, though its directory would allow it.
    ASSERT_EQ(::chmod(existing.c_str(), 0444), 0);
    EXPECT_EQ(blocks.WriteFile(existing.c_str(), "fault"), 0);
    EXPECT_EQ(fault::ReadBytes(existing), kPrevious);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});
    ASSERT_EQ(::chmod(existing.c_str(), 0644), 0);

    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);

    EXPECT_EQ(blocks.WriteFile(dir.File("new.blocks").c_str(), "fault"), 0);
    const reuseblocks::WriteReport refused =
        reuseblocks::WriteFileWithReport(blocks, dir.File("new.blocks").c_str(), "fault");
    EXPECT_EQ(StepAndError(refused.step, refused.systemError),
              StepAndError(reuseblocks::WriteStep::kOpen, EACCES));
    EXPECT_EQ(refused.message, "cannot write \"" + dir.File("new.blocks") +
                                   "\": " + std::strerror(EACCES) + " (while opening)");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});

    // No temporary file can be made beside a writable file: it is written in place.
    EXPECT_EQ(blocks.WriteFile(existing.c_str(), "fault"), 1);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});
    CReuseBlockFile loaded;
    EXPECT_EQ(loaded.LoadFile(existing.c_str()), 0);
    EXPECT_TRUE(harness::Sorted(harness::ImageOf(loaded)) ==
                harness::Sorted(harness::ImageOf(blocks)));

    // Neither replaced nor written: a read-only file in a read-only directory.
    ASSERT_EQ(::chmod(existing.c_str(), 0444), 0);
    const std::string written = fault::ReadBytes(existing);
    EXPECT_EQ(blocks.WriteFile(existing.c_str(), "fault"), 0);
    EXPECT_EQ(fault::ReadBytes(existing), written);
}

}  // namespace
