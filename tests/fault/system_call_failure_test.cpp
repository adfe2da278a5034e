// SPDX-License-Identifier: MIT
// Every system call a load or a write makes, made to fail in turn through the platform layer's
// seam: first counted with nothing armed, then the first, the second, ... each with each error.
// Whatever fails, nothing crashes, no descriptor stays open, no temporary file stays behind, the
// report names the step and the error, and the target holds its old text or the whole new one.
// An interrupted call the library retries changes nothing at all.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fault_support.h"
#include "host/hash_key.h"
#include "platform/file_lock.h"
#include "platform/system_call_faults.h"
#include "reuseblocks/diagnostics.h"
#include "reuseblocks/edit.h"

namespace {

namespace faults = reuseblocks::detail::platform::faults;
using faults::SystemCall;

// Errors any call may meet: the disk, a full device, a permission taken away meanwhile.
constexpr int kErrors[] = {EIO, ENOSPC, EACCES};
// And for writes, the errors that send the writer another way: a name that changed meanwhile, a
// file system without a feature, a name already taken.
constexpr int kWriteErrors[] = {EIO, ENOSPC, EACCES, ENOENT, EOPNOTSUPP, EEXIST};
// The calls the library goes on with after an interruption.
constexpr SystemCall kRetried[] = {SystemCall::kRead,     SystemCall::kPread, SystemCall::kWrite,
                                   SystemCall::kPwrite,   SystemCall::kPoll,  SystemCall::kFlock,
                                   SystemCall::kGetrandom};

std::string Trial(unsigned long nth, int error) {
    return std::string("failing call ") + std::to_string(nth) + ", " +
           faults::Name(faults::Failed()) + ", with " + std::strerror(error);
}

// Fails each call of `walked` (kAny: of every kind) in turn with each of `errors`, then each call
// the library retries with EINTR, which must succeed. `attempt(call, nth, error)` runs one trial
// and says whether the operation succeeded.
template <typename Counts, typename Errors, typename Attempt>
void WalkEveryCall(const Counts& counts, SystemCall walked, const Errors& errors,
                   const Attempt& attempt) {
    for (const int error : errors) {
        for (unsigned long nth = 1; nth <= counts.at(walked); ++nth) attempt(walked, nth, error);
    }
    for (const SystemCall call : kRetried) {
        for (unsigned long nth = 1; nth <= counts.at(call); ++nth) {
            EXPECT_TRUE(attempt(call, nth, EINTR)) << Trial(nth, EINTR);
        }
    }
}

// The calls of each kind `operation` makes, counted with nothing failing.
// A call that fails every time, as where the system or the file system lacks it; kAny: none.
struct Lacking {
    SystemCall call = SystemCall::kAny;
    int error = 0;
};

void Arm(SystemCall call, unsigned long nth, int error, Lacking lacking = {}) {
    faults::Arm(call, nth, error);
    if (lacking.call != SystemCall::kAny) faults::FailEvery(lacking.call, lacking.error);
}

template <typename Operation>
std::map<SystemCall, unsigned long> CountCalls(Operation operation, Lacking lacking = {}) {
    Arm(SystemCall::kAny, 0, 0, lacking);
    operation();
    faults::Disarm();
    std::map<SystemCall, unsigned long> counts;
    for (int call = 0; call < static_cast<int>(SystemCall::kCount); ++call) {
        counts[static_cast<SystemCall>(call)] = faults::Count(static_cast<SystemCall>(call));
    }
    return counts;
}

CReuseBlockFile& Sample(CReuseBlockFile& blocks, int count) {
    for (int b = 0; b < count; ++b) {
        CReuseBlock* block = AddPlainBlock(blocks, ("/TOP/B" + std::to_string(b)).c_str());
        const std::uint32_t row = block->NewLayerMap();
        for (std::uint32_t column = 0; column < 4; ++column) block->GetLayerMap(row, column) = "L";
    }
    return blocks;
}

reuseblocks::WriteFileOptions FixedDate() {
    reuseblocks::WriteFileOptions options;
    options.hasDate = true;
    return options;
}

// How the target stands before the write.
enum class Target {
    kNew,             // not there
    kReplaced,        // a file of its own: replaced through a new file
    kInPlaceLonger,   // shared with a second name: written in place, over longer old text
    kInPlaceShorter,  // the same, over shorter old text
    kThroughLink,     // a symbolic link to a file of its own: that file replaced
    kDanglingLink,    // a symbolic link to no file yet: the file it names made
    kAttributes,      // a file of its own with an extended attribute, and another owner as root
};

constexpr uid_t kOtherOwner = 4321;

const char* TargetName(Target target) {
    switch (target) {
        case Target::kNew:
            return "new";
        case Target::kReplaced:
            return "replaced";
        case Target::kInPlaceLonger:
            return "in place, shrinking";
        case Target::kInPlaceShorter:
            return "in place, growing";
        case Target::kThroughLink:
            return "through a link";
        case Target::kDanglingLink:
            return "through a dangling link";
        case Target::kAttributes:
            return "with attributes";
    }
    return "?";
}

// A fresh directory holding the target as `kind` says.
class Scene {
  public:
    explicit Scene(Target kind) : m_kind(kind), m_target(m_dir.File("board.blocks")) {
        if (kind == Target::kNew) return;
        if (kind == Target::kThroughLink || kind == Target::kDanglingLink) {
            EXPECT_EQ(::symlink("real.blocks", m_target.c_str()), 0);
            if (kind == Target::kDanglingLink) return;
        }
        // Longer than the new text, or a line of it.
        m_previous = kind == Target::kInPlaceShorter ? "# old\n" : std::string(20000, '#') + "\n";
        fault::WriteBytes(m_target, m_previous);
        if (kind == Target::kAttributes) {
            EXPECT_EQ(::setxattr(m_target.c_str(), "user.origin", "kept", 4, 0), 0);
            if (::geteuid() == 0) {
                EXPECT_EQ(::chown(m_target.c_str(), kOtherOwner, kOtherOwner), 0);
            }
        }
        if (kind == Target::kInPlaceLonger || kind == Target::kInPlaceShorter) {
            EXPECT_EQ(::link(m_target.c_str(), m_dir.File("other-name").c_str()), 0);
        }
    }

    const std::string& Path() const { return m_target; }

    // The target holds `expected`, or its old text (none when it was new), and the directory
    // holds nothing else; a shared target still is one file under both names.
    void Check(bool written, const std::string& expected) const {
        std::vector<std::string> names;
        if (written || m_kind != Target::kNew) names.push_back("board.blocks");
        if ((written && m_kind == Target::kDanglingLink) || m_kind == Target::kThroughLink) {
            names.push_back("real.blocks");
            struct stat link {};
            EXPECT_TRUE(::lstat(m_target.c_str(), &link) == 0 && S_ISLNK(link.st_mode));
        }
        if (m_kind == Target::kInPlaceLonger || m_kind == Target::kInPlaceShorter) {
            names.push_back("other-name");
            struct stat info {};
            EXPECT_TRUE(::stat(m_target.c_str(), &info) == 0 && info.st_nlink == 2);
        }
        EXPECT_EQ(m_dir.Entries(), names) << "a new file left behind, or the target lost";
        if (names.empty()) return;
        if (m_kind == Target::kAttributes) {
            char value[16] = {};
            EXPECT_EQ(::getxattr(m_target.c_str(), "user.origin", value, sizeof value), 4);
            EXPECT_STREQ(value, "kept");
            struct stat info {};
            EXPECT_TRUE(::stat(m_target.c_str(), &info) == 0 &&
                        (::geteuid() != 0 || info.st_uid == kOtherOwner));
        }
        const std::string now = fault::ReadBytes(m_target);
        if (written) {
            EXPECT_TRUE(now == expected) << "not the whole new text";
        } else {
            EXPECT_TRUE(now == m_previous) << "the old text changed: " << now.size() << " bytes";
        }
    }

    bool InPlace() const {
        return m_kind == Target::kInPlaceLonger || m_kind == Target::kInPlaceShorter;
    }
    bool Holds(const std::string& text) const { return fault::ReadBytes(m_target) == text; }

  private:
    Target m_kind;
    fault::ScratchDir m_dir;
    std::string m_target;
    std::string m_previous;
};

// Fails each call of `walked` (kAny: of every kind) in turn, with each error, while writing
// `count` blocks to a target that stands as `kind` says.
void WalkWrite(Target kind, Lacking lacking = {}, SystemCall walked = SystemCall::kAny,
               int count = 40) {
    SCOPED_TRACE(std::string(TargetName(kind)) + ", lacking " + faults::Name(lacking.call));
    CReuseBlockFile blocks;
    Sample(blocks, count);
    const reuseblocks::WriteFileOptions options = FixedDate();
    std::string expected;
    const auto counts = CountCalls(
        [&] {
            const Scene scene(kind);
            const auto report =
                reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", options);
            EXPECT_TRUE(report.Succeeded()) << report.message;
            expected = fault::ReadBytes(scene.Path());
        },
        lacking);
    ASSERT_GT(counts.at(SystemCall::kAny), 3u);

    const auto attempt = [&](SystemCall call, unsigned long nth, int error) {
        const Scene scene(kind);
        const int descriptors = fault::OpenDescriptors();
        Arm(call, nth, error, lacking);
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", options);
        faults::Disarm();
        SCOPED_TRACE(Trial(nth, error));
        EXPECT_EQ(fault::OpenDescriptors(), descriptors) << "a descriptor left open";
        // Answers no system gives for the scene as it stands, but for one that changed:
        // attributes the file system says it lacks were never there, and a link that looks
        // gone was removed meanwhile, so that a new file takes its name.
        if (error == EOPNOTSUPP && faults::Failed() == SystemCall::kListXattr) return true;
        if (error == ENOENT && faults::Failed() == SystemCall::kFstatAt &&
            kind == Target::kDanglingLink) {
            EXPECT_TRUE(report.Succeeded()) << report.message;
            EXPECT_TRUE(scene.Holds(expected));
            return true;
        }
        if (report.Succeeded()) {
            EXPECT_EQ(report.step, reuseblocks::WriteStep::kNone);
            scene.Check(true, expected);
            return true;
        }
        EXPECT_NE(report.step, reuseblocks::WriteStep::kNone) << report.message;
        EXPECT_STRNE(reuseblocks::WriteStepName(report.step), "unknown");
        EXPECT_EQ(report.systemError, error) << report.message;
        // Written in place, the text may be all there when what failed came after it (the sync).
        scene.Check(scene.InPlace() && scene.Holds(expected), expected);
        return false;
    };
    WalkEveryCall(counts, walked, kWriteErrors, attempt);
}

TEST(SystemCallFailure, WriteOfANewFile) {
    WalkWrite(Target::kNew);
}

TEST(SystemCallFailure, ReplaceOfAnExistingFile) {
    WalkWrite(Target::kReplaced);
}

TEST(SystemCallFailure, WriteInPlaceOverLongerText) {
    WalkWrite(Target::kInPlaceLonger);
}

TEST(SystemCallFailure, WriteInPlaceOverShorterText) {
    WalkWrite(Target::kInPlaceShorter);
}

// Where the file system cannot reserve room, the room is written with zero bytes first.
TEST(SystemCallFailure, WriteInPlaceWithoutFallocate) {
    WalkWrite(Target::kInPlaceLonger, {SystemCall::kFallocate, EOPNOTSUPP});
    WalkWrite(Target::kInPlaceShorter, {SystemCall::kFallocate, EOPNOTSUPP});
}

// Without /proc an unnamed file could never be named: a named one is made instead. Without a
// random source its name comes from the clock.
TEST(SystemCallFailure, ReplaceThroughANamedNewFile) {
    WalkWrite(Target::kNew, {SystemCall::kAccess, ENOENT});
    WalkWrite(Target::kReplaced, {SystemCall::kAccess, ENOENT});
    WalkWrite(Target::kReplaced, {SystemCall::kGetrandom, ENOSYS});
}

// What the new file cannot carry over (owner, attributes) makes the write go in place.
TEST(SystemCallFailure, ReplaceKeepsOwnerAndAttributes) {
    WalkWrite(Target::kAttributes);
}

// A text larger than the writer's buffer goes out in several writes while it is made, or in
// several pieces kept until the end when written in place.
TEST(SystemCallFailure, WriteOfALargeText) {
    for (const Target kind : {Target::kReplaced, Target::kInPlaceShorter}) {
        WalkWrite(kind, {}, SystemCall::kWrite, 25000);
    }
}

TEST(SystemCallFailure, WriteThroughALink) {
    WalkWrite(Target::kThroughLink);
    WalkWrite(Target::kDanglingLink);
}

// On one thread and on several, which read the file's pieces side by side.
TEST(SystemCallFailure, Load) {
    fault::ScratchDir dir;
    const std::string path = dir.File("board.blocks");
    {
        CReuseBlockFile blocks;
        ASSERT_EQ(Sample(blocks, 400).WriteFile(path.c_str(), "fault"), 1);
    }
    for (const unsigned threads : {1u, 3u}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        reuseblocks::LoadOptions options;
        options.threads = threads;
        const auto counts = CountCalls([&] {
            CReuseBlockFile blocks;
            EXPECT_TRUE(reuseblocks::LoadFileWithReport(blocks, path.c_str(), options).Succeeded());
        });
        const auto attempt = [&](SystemCall call, unsigned long nth, int error) {
            const int descriptors = fault::OpenDescriptors();
            CReuseBlockFile blocks;
            faults::Arm(call, nth, error);
            const auto report = reuseblocks::LoadFileWithReport(blocks, path.c_str(), options);
            faults::Disarm();
            SCOPED_TRACE(Trial(nth, error));
            EXPECT_EQ(fault::OpenDescriptors(), descriptors) << "a descriptor left open";
            if (report.Succeeded()) {
                EXPECT_EQ(blocks.GetCount(), 400);
                return true;
            }
            EXPECT_EQ(report.Code(), reuseblocks::LoadResult::kCannotRead) << report.message;
            EXPECT_NE(report.message.find(std::strerror(error)), std::string::npos)
                << report.message;
            // What was read before the failure stays, and nothing else: the file's first blocks.
            for (int b = 0; b < blocks.GetCount(); ++b) {
                CReuseBlock* block = nullptr;
                EXPECT_NE(blocks.GetBlock(("/TOP/B" + std::to_string(b)).c_str(), block), 0) << b;
            }
            return false;
        };
        WalkEveryCall(counts, SystemCall::kAny, kErrors, attempt);
    }
}

// An update reads the file, then writes it back: a failure of either leaves it as it was.
TEST(SystemCallFailure, UpdateOfAFile) {
    fault::ScratchDir dir;
    const std::string path = dir.File("board.blocks");
    {
        CReuseBlockFile written;
        ASSERT_EQ(Sample(written, 40).WriteFile(path.c_str(), "fault"), 1);
    }
    const std::string previous = fault::ReadBytes(path);
    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(path.c_str()), 0);
    CReuseBlock* changed = nullptr;
    ASSERT_NE(blocks.GetBlock("/TOP/B7", changed), 0);
    changed->SetProperty(3, "changed");
    std::string expected;
    const auto counts = CountCalls([&] {
        ASSERT_TRUE(reuseblocks::UpdateFileWithReport(blocks, path.c_str(), {}).Succeeded());
        expected = fault::ReadBytes(path);
        fault::WriteBytes(path, previous);
    });
    ASSERT_NE(expected, previous);
    const auto attempt = [&](SystemCall call, unsigned long nth, int error) {
        fault::WriteBytes(path, previous);
        const int descriptors = fault::OpenDescriptors();
        faults::Arm(call, nth, error);
        const auto report = reuseblocks::UpdateFileWithReport(blocks, path.c_str(), {});
        faults::Disarm();
        SCOPED_TRACE(Trial(nth, error));
        EXPECT_EQ(fault::OpenDescriptors(), descriptors) << "a descriptor left open";
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});
        if (report.Succeeded()) {
            EXPECT_TRUE(fault::ReadBytes(path) == expected);
            return true;
        }
        EXPECT_EQ(report.systemError, error) << report.message;
        EXPECT_TRUE(report.result == reuseblocks::UpdateResult::kCannotRead ||
                    (report.result == reuseblocks::UpdateResult::kCannotWrite &&
                     report.step != reuseblocks::WriteStep::kNone))
            << report.message;
        EXPECT_TRUE(fault::ReadBytes(path) == previous) << "the old text changed";
        return false;
    };
    WalkEveryCall(counts, SystemCall::kAny, kErrors, attempt);
}

}  // namespace

// A stream the process holds open, named through /dev/fd: written as it stands, never half.
TEST(SystemCallFailure, WriteToAHeldPipe) {
    CReuseBlockFile blocks;
    Sample(blocks, 40);
    const reuseblocks::WriteFileOptions options = FixedDate();
    const auto writeThroughPipe = [&](std::string& received,
                                      const std::string& directory = "/dev/fd/") {
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        const std::string path = directory + std::to_string(ends[1]);
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, path.c_str(), "fault", options);
        ::close(ends[1]);
        received = fault::ReadBytes("/dev/fd/" + std::to_string(ends[0]));
        ::close(ends[0]);
        return report;
    };
    std::string expected;
    const auto counts = CountCalls([&] { EXPECT_TRUE(writeThroughPipe(expected).Succeeded()); });
    ASSERT_GT(expected.size(), 1000u);
    for (const int error : kErrors) {
        for (unsigned long nth = 1; nth <= counts.at(SystemCall::kAny); ++nth) {
            const int descriptors = fault::OpenDescriptors();
            std::string received;
            faults::Arm(SystemCall::kAny, nth, error);
            const auto report = writeThroughPipe(received);
            faults::Disarm();
            SCOPED_TRACE(Trial(nth, error));
            EXPECT_EQ(fault::OpenDescriptors(), descriptors) << "a descriptor left open";
            if (report.Succeeded()) {
                EXPECT_TRUE(received == expected);
            } else {
                EXPECT_EQ(report.systemError, error) << report.message;
                EXPECT_NE(report.step, reuseblocks::WriteStep::kNone);
                // All of it, when what failed came after it (the close).
                EXPECT_TRUE(received.empty() || received == expected)
                    << received.size() << " bytes went out";
            }
        }
    }
    faults::Arm(SystemCall::kWrite, 1, EINTR);
    std::string received;
    EXPECT_TRUE(writeThroughPipe(received).Succeeded());
    faults::Disarm();
    EXPECT_TRUE(received == expected);
    // A stream another program made non-blocking: the writer waits until it takes more, and a
    // wait that fails is the write's failure.
    faults::Arm(SystemCall::kWrite, 1, EAGAIN);
    EXPECT_TRUE(writeThroughPipe(received).Succeeded());
    EXPECT_EQ(faults::Count(SystemCall::kPoll), 1u);
    faults::Arm(SystemCall::kWrite, 1, EAGAIN);
    faults::FailEvery(SystemCall::kPoll, EINTR);
    EXPECT_TRUE(writeThroughPipe(received).Succeeded());
    faults::Arm(SystemCall::kWrite, 1, EAGAIN);
    faults::FailEvery(SystemCall::kPoll, ENOMEM);
    const auto report = writeThroughPipe(received);
    faults::Disarm();
    EXPECT_EQ(report.systemError, ENOMEM) << report.message;
    EXPECT_TRUE(received.empty());
    // The other names this process's own descriptors go by.
    for (const std::string& directory :
         {std::string("/proc/self/fd/"), std::string("/proc/thread-self/fd/"),
          "/proc/" + std::to_string(::getpid()) + "/fd/"}) {
        EXPECT_TRUE(writeThroughPipe(received, directory).Succeeded()) << directory;
        EXPECT_TRUE(received == expected) << directory;
    }
}

// The names of a pipe that are not this process's own descriptors: a thread's, and another
// process's, written as the stream it is (appending when it appends, also where whether it
// appends cannot be read); a regular file another process holds, written in place; and no pipe
// at all.
TEST(SystemCallFailure, WriteToAPipeThroughOtherNames) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    fault::ScratchDir dir;
    const std::string held = dir.File("held.blocks");
    fault::WriteBytes(held, std::string(20000, '#') + "\n");
    const int heldFile = ::open(held.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(heldFile, 0);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(holder, 0);
    ::close(heldFile);
    const std::string end = std::to_string(ends[1]);
    const std::string self = std::to_string(::getpid());
    const std::string ofHolder = "/proc/" + std::to_string(holder) + "/fd/" + end;
    // The first open and the first read are of the holder's fdinfo.
    const std::pair<std::string, std::pair<SystemCall, int>> writes[] = {
        {ofHolder, {SystemCall::kAny, 0}},
        {"/proc/" + self + "/task/" + self + "/fd/" + end, {SystemCall::kAny, 0}},
        {ofHolder, {SystemCall::kOpen, EACCES}},
        {ofHolder, {SystemCall::kRead, EIO}},
    };
    for (const auto& [path, failing] : writes) {
        faults::Arm(failing.first, failing.second ? 1 : 0, failing.second);
        EXPECT_TRUE(reuseblocks::WriteFileWithReport(blocks, path.c_str(), "fault", FixedDate())
                        .Succeeded())
            << path << ", failing " << faults::Name(faults::Failed());
        faults::Disarm();
        EXPECT_EQ(faults::Failed(), failing.first) << path;
        EXPECT_GT(faults::Count(SystemCall::kWrite), 0u) << path;
    }
    const std::string ofHeldFile =
        "/proc/" + std::to_string(holder) + "/fd/" + std::to_string(heldFile);
    faults::Arm(SystemCall::kAny, 0, 0);
    EXPECT_TRUE(reuseblocks::WriteFileWithReport(blocks, ofHeldFile.c_str(), "fault", FixedDate())
                    .Succeeded());
    faults::Disarm();
    EXPECT_EQ(faults::Count(SystemCall::kRenameAt), 0u);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ends[1]);
    const std::string received = fault::ReadBytes("/dev/fd/" + std::to_string(ends[0]));
    ::close(ends[0]);
    EXPECT_EQ(std::count(received.begin(), received.end(), '\n') % 4, 0);  // four whole files
    EXPECT_EQ(received.substr(0, received.size() / 2), received.substr(received.size() / 2));
    EXPECT_TRUE(fault::ReadBytes(held) == received.substr(0, received.size() / 4))
        << "the held file not written in place, or not cut to the new text";
    // Names that only look like a descriptor's: no file to open, nowhere to make one.
    for (const char* path : {"/dev/fd/1x", "/proc/self/fd/", "/proc/self/task//fd/1"}) {
        EXPECT_EQ(blocks.WriteFile(path, "fault"), 0) << path;
    }
}

// The advisory lock of the tool's edits: held, or refused with the reason, never a descriptor
// left open.
TEST(SystemCallFailure, FileLock) {
    using reuseblocks::detail::platform::FileLock;
    fault::ScratchDir dir;
    const std::string path = dir.File("board.blocks");
    fault::WriteBytes(path, "# locked\n");
    const auto acquire = [&](FileLock::Refusal& refusal, int& error) {
        return FileLock::Acquire(path, false, refusal, error);
    };
    const auto counts = CountCalls([&] {
        FileLock::Refusal refusal{};
        int error = 0;
        EXPECT_TRUE(acquire(refusal, error).Held());
    });
    for (const int error : {EIO, EACCES, ENOLCK, EOPNOTSUPP, ENOSYS, EWOULDBLOCK}) {
        for (unsigned long nth = 1; nth <= counts.at(SystemCall::kAny); ++nth) {
            const int descriptors = fault::OpenDescriptors();
            FileLock::Refusal refusal{};
            int told = 0;
            faults::Arm(SystemCall::kAny, nth, error);
            {
                const FileLock lock = acquire(refusal, told);
                faults::Disarm();
                SCOPED_TRACE(Trial(nth, error));
                const bool lockFailed = faults::Failed() == SystemCall::kFlock;
                if (lockFailed && error == EWOULDBLOCK) {
                    EXPECT_EQ(refusal, FileLock::Refusal::kBusy);
                } else if (lockFailed && error != ENOLCK && error != EOPNOTSUPP &&
                           error != ENOSYS) {
                    EXPECT_EQ(refusal, FileLock::Refusal::kFailed);
                    EXPECT_EQ(told, error);
                } else {
                    // Nothing to lock, or a file system without locks: the load tells why.
                    EXPECT_EQ(refusal, FileLock::Refusal::kNone);
                }
                EXPECT_EQ(lock.Held(), refusal == FileLock::Refusal::kNone && !lockFailed &&
                                           faults::Failed() != SystemCall::kOpen &&
                                           faults::Failed() != SystemCall::kFstat &&
                                           faults::Failed() != SystemCall::kStat);
            }
            EXPECT_EQ(fault::OpenDescriptors(), descriptors) << "a descriptor left open";
        }
    }
    FileLock::Refusal refusal{};
    int error = 0;
    faults::Arm(SystemCall::kFlock, 1, EINTR);
    EXPECT_TRUE(acquire(refusal, error).Held());
    faults::Disarm();
}

// Where reserving room fails for want of the feature, however the system says so, the room is
// written with zero bytes; a text larger than one piece of them grows the file in several, and a
// failure after the first takes the file back to its old size.
TEST(SystemCallFailure, WriteInPlaceWhereReservingRoomIsNotSupported) {
    for (const int lacking : {ENOSYS, EINVAL}) {
        WalkWrite(Target::kInPlaceShorter, {SystemCall::kFallocate, lacking},
                  SystemCall::kFallocate);
    }
    WalkWrite(Target::kInPlaceShorter, {SystemCall::kFallocate, EOPNOTSUPP}, SystemCall::kPwrite,
              2500);
}

// An attribute list or value that grew between asking its size and reading it is read again.
TEST(SystemCallFailure, AttributesThatGrowMeanwhileAreReadAgain) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    for (const SystemCall call : {SystemCall::kListXattr, SystemCall::kGetXattr}) {
        for (unsigned long nth = 1; nth <= 4; ++nth) {
            const Scene scene(Target::kAttributes);
            faults::Arm(call, nth, ERANGE);
            const auto report = reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(),
                                                                 "fault", FixedDate());
            faults::Disarm();
            SCOPED_TRACE(Trial(nth, ERANGE));
            ASSERT_TRUE(report.Succeeded()) << report.message;
            scene.Check(true, fault::ReadBytes(scene.Path()));
            EXPECT_NE(fault::ReadBytes(scene.Path()).find("/TOP/B3"), std::string::npos);
        }
    }
}

// A replaced file keeps its group, or its owner, where only that differs from the new file's.
TEST(SystemCallFailure, ReplaceKeepsAGroupOrAnOwnerOfItsOwn) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file another owner takes root";
    fault::ScratchDir dir;
    const std::string path = dir.File("board.blocks");
    CReuseBlockFile blocks;
    Sample(blocks, 2);
    for (const bool group : {true, false}) {
        fault::WriteBytes(path, "# old\n");
        const uid_t owner = group ? ::geteuid() : kOtherOwner;
        const gid_t kept = group ? kOtherOwner : ::getegid();
        ASSERT_EQ(::chown(path.c_str(), owner, kept), 0);
        faults::Arm(SystemCall::kAny, 0, 0);
        ASSERT_TRUE(reuseblocks::WriteFileWithReport(blocks, path.c_str(), "fault").Succeeded());
        faults::Disarm();
        EXPECT_EQ(faults::Count(SystemCall::kRenameAt), 1u) << "not replaced";
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_gid, kept);
        EXPECT_EQ(info.st_uid, owner);
    }
}

// Names that lead nowhere a file can be: refused at the open with the system's reason, nothing
// made, nothing changed.
TEST(SystemCallFailure, WriteToAPathThatCannotNameAFile) {
    fault::ScratchDir dir;
    fault::WriteBytes(dir.File("plain"), "# plain\n");
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0700), 0);
    ASSERT_EQ(::symlink("loop-b", dir.File("loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", dir.File("loop-b").c_str()), 0);
    CReuseBlockFile blocks;
    Sample(blocks, 2);
    const std::pair<std::string, int> cases[] = {
        {"", ENOENT},
        {dir.File("plain") + "/board.blocks", ENOTDIR},
        {dir.File("folder") + "/", EISDIR},
        {dir.File("loop-a"), ELOOP},
    };
    for (const auto& [path, error] : cases) {
        const auto report = reuseblocks::WriteFileWithReport(blocks, path.c_str(), "fault");
        EXPECT_FALSE(report.Succeeded()) << path;
        EXPECT_EQ(report.step, reuseblocks::WriteStep::kOpen) << path << ": " << report.message;
        EXPECT_EQ(report.systemError, error) << path << ": " << report.message;
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"folder", "loop-a", "loop-b", "plain"}));
    EXPECT_EQ(fault::ReadBytes(dir.File("plain")), "# plain\n");
}

// The process's own streams by their names in /dev, written as the streams they are, also one
// another program made non-blocking; names only like a descriptor's are no stream.
TEST(SystemCallFailure, WriteToTheProcesssOwnStreams) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    std::string expected;
    {
        fault::ScratchDir dir;
        ASSERT_TRUE(
            reuseblocks::WriteFileWithReport(blocks, dir.File("b").c_str(), "fault", FixedDate())
                .Succeeded());
        expected = fault::ReadBytes(dir.File("b"));
    }
    const struct {
        const char* path;
        int descriptor;
        bool nonBlocking;
    } streams[] = {{"/dev/stdin", 0, false}, {"/dev/stdout", 1, false}, {"/dev/stderr", 2, true}};
    for (const auto& stream : streams) {
        std::fflush(nullptr);
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        const int saved = ::dup(stream.descriptor);
        ASSERT_GE(saved, 0);
        ASSERT_EQ(::dup2(ends[1], stream.descriptor), stream.descriptor);
        ::close(ends[1]);
        if (stream.nonBlocking) {
            ASSERT_EQ(::fcntl(stream.descriptor, F_SETFL, O_NONBLOCK), 0);
        }
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, stream.path, "fault", FixedDate());
        ::dup2(saved, stream.descriptor);
        ::close(saved);
        const std::string received = fault::ReadBytes("/dev/fd/" + std::to_string(ends[0]));
        ::close(ends[0]);
        EXPECT_TRUE(report.Succeeded()) << stream.path << ": " << report.message;
        EXPECT_TRUE(received == expected) << stream.path << ": " << received.size() << " bytes";
    }
    for (const char* path :
         {"/dev/fd/1234567890", "/dev/fd/-1", "/proc/0/fd/1", "/proc/abc/fd/1", "/proc/self"}) {
        EXPECT_FALSE(reuseblocks::WriteFileWithReport(blocks, path, "fault").Succeeded()) << path;
    }
}

// A held lock moved onto another lets go of what that one held.
TEST(SystemCallFailure, FileLockMovedOntoAnotherReleasesIt) {
    using reuseblocks::detail::platform::FileLock;
    fault::ScratchDir dir;
    fault::WriteBytes(dir.File("a"), "# a\n");
    fault::WriteBytes(dir.File("b"), "# b\n");
    FileLock::Refusal refusal{};
    int error = 0;
    FileLock first = FileLock::Acquire(dir.File("a"), false, refusal, error);
    FileLock second = FileLock::Acquire(dir.File("b"), false, refusal, error);
    ASSERT_TRUE(first.Held() && second.Held());
    const int descriptors = fault::OpenDescriptors();
    first = std::move(second);
    EXPECT_EQ(fault::OpenDescriptors(), descriptors - 1) << "the first file's lock kept";
    EXPECT_TRUE(first.Held());
    FileLock& same = first;
    first = std::move(same);
    EXPECT_TRUE(first.Held()) << "a lock moved onto itself let go";
}

// What was written in place before a failure is taken back, through an interruption of the
// write that takes it back; where that write fails too, the failure is still the one reported.
TEST(SystemCallFailure, AFailedWriteInPlacePutsTheOldTextBack) {
    CReuseBlockFile blocks;
    Sample(blocks, 40);
    for (const int restoreError : {EINTR, EIO}) {
        SCOPED_TRACE(std::strerror(restoreError));
        const Scene scene(Target::kInPlaceShorter);
        const std::string old = fault::ReadBytes(scene.Path());
        faults::Arm(SystemCall::kPwrite, 1, restoreError);
        faults::FailEvery(SystemCall::kWrite, ENOSPC);
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        EXPECT_FALSE(report.Succeeded());
        EXPECT_NE(report.step, reuseblocks::WriteStep::kNone) << report.message;
        EXPECT_EQ(report.systemError, ENOSPC) << report.message;
        if (restoreError == EINTR) {
            scene.Check(false, "");
        } else {
            // The old text was never overwritten; the room made after it could not go again.
            EXPECT_EQ(fault::ReadBytes(scene.Path()).substr(0, old.size()), old);
        }
    }
}

// A file size limit under the new text's size stops an in-place write before it touches the
// old text, as the write itself would be stopped part-way; also over longer old text, where no
// room needs to be made. A limit above it stops nothing.
TEST(SystemCallFailure, WriteInPlaceBeyondTheFileSizeLimit) {
    CReuseBlockFile blocks;
    Sample(blocks, 40);
    const struct {
        Target kind;
        rlim_t limit;
        bool written;
    } cases[] = {{Target::kInPlaceShorter, 1000, false},
                 {Target::kInPlaceLonger, 1000, false},
                 {Target::kInPlaceLonger, 1 << 20, true}};
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(TargetName(test.kind)) + ", limit " + std::to_string(test.limit));
        const Scene scene(test.kind);
        std::string expected;
        {
            fault::ScratchDir dir;
            ASSERT_TRUE(reuseblocks::WriteFileWithReport(blocks, dir.File("b").c_str(), "fault",
                                                         FixedDate())
                            .Succeeded());
            expected = fault::ReadBytes(dir.File("b"));
        }
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            const rlim_t unlimited = limit.rlim_cur;
            limit.rlim_cur = test.limit;
            const bool limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
            const auto report = reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(),
                                                                 "fault", FixedDate());
            // Lifted again, and exit, not _exit: an instrumented build writes its counts at exit.
            limit.rlim_cur = unlimited;
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const bool refused =
                report.step == reuseblocks::WriteStep::kInPlace && report.systemError == EFBIG;
            std::exit(limited && (test.written ? report.Succeeded() : refused) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << (test.written ? "not written" : "not refused with EFBIG");
        scene.Check(test.written, expected);
    }
}

// A write to a pipe nobody reads fails with EPIPE instead of ending the process, and leaves no
// SIGPIPE pending behind.
TEST(SystemCallFailure, WriteToAPipeNobodyReads) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const std::string path = "/dev/fd/" + std::to_string(ends[1]);
    const auto report = reuseblocks::WriteFileWithReport(blocks, path.c_str(), "fault");
    ::close(ends[1]);
    EXPECT_NE(report.step, reuseblocks::WriteStep::kNone) << report.message;
    EXPECT_EQ(report.systemError, EPIPE) << report.message;
    sigset_t pending;
    ASSERT_EQ(::sigpending(&pending), 0);
    EXPECT_EQ(::sigismember(&pending, SIGPIPE), 0);

    // A SIGPIPE pending before the write is someone else's: it stays pending.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous), 0);
    ASSERT_EQ(::pthread_kill(::pthread_self(), SIGPIPE), 0);
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const auto again = reuseblocks::WriteFileWithReport(
        blocks, ("/dev/fd/" + std::to_string(ends[1])).c_str(), "fault");
    ::close(ends[1]);
    EXPECT_EQ(again.systemError, EPIPE) << again.message;
    ASSERT_EQ(::sigpending(&pending), 0);
    EXPECT_EQ(::sigismember(&pending, SIGPIPE), 1) << "another's SIGPIPE taken";
    const timespec immediately{0, 0};
    EXPECT_EQ(::sigtimedwait(&pipeSignal, nullptr, &immediately), SIGPIPE);
    ASSERT_EQ(::pthread_sigmask(SIG_SETMASK, &previous, nullptr), 0);
}

// Where no unnamed file can be made, however the system says so, a named one is; where every
// name is taken, the write fails and the target stays as it was.
TEST(SystemCallFailure, ReplaceWhereNoUnnamedFileOrNoFreeNameCanBeMade) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    for (const int error : {EISDIR, EINVAL}) {
        const Scene scene(Target::kReplaced);
        faults::Arm(SystemCall::kOpenAt, 1, error);
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        EXPECT_EQ(faults::Failed(), SystemCall::kOpenAt);
        EXPECT_TRUE(report.Succeeded()) << std::strerror(error) << ": " << report.message;
        scene.Check(true, fault::ReadBytes(scene.Path()));
        EXPECT_NE(fault::ReadBytes(scene.Path()).find("/TOP/B3"), std::string::npos);
    }
    // Every name the unnamed file could take is taken.
    const Scene scene(Target::kReplaced);
    faults::Arm(SystemCall::kAny, 0, 0);
    faults::FailEvery(SystemCall::kLinkAt, EEXIST);
    const auto report =
        reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
    faults::Disarm();
    EXPECT_FALSE(report.Succeeded());
    EXPECT_EQ(report.systemError, EEXIST) << report.message;
    EXPECT_GT(faults::Count(SystemCall::kLinkAt), 1u) << "no other name tried";
    scene.Check(false, "");
}

// Calls the seam does not know have no name and no count.
TEST(SystemCallFailure, TheSeamNamesOnlyItsOwnCalls) {
    for (const auto call : {static_cast<SystemCall>(-1), SystemCall::kCount}) {
        EXPECT_STREQ(faults::Name(call), "unknown");
        EXPECT_EQ(faults::Count(call), 0u);
    }
    EXPECT_STREQ(faults::Name(SystemCall::kRenameAt), "renameat");
}

// A target never opened has nothing to reserve and nothing to commit.
TEST(SystemCallFailure, AnOutputTargetNeverOpenedCommitsNothing) {
    reuseblocks::detail::platform::OutputTarget target;
    EXPECT_TRUE(target.Reserve(100));
    EXPECT_FALSE(target.Commit());
    EXPECT_EQ(target.Failure().step, reuseblocks::WriteStep::kFlush);
    EXPECT_EQ(target.Failure().error, EBADF);
}

// What permissions refuse, as the system refuses it to a user who is not root: the tests of
// permissions themselves skip as root, these do not.
TEST(SystemCallFailure, WhatPermissionsRefuseAsTheSystemRefusesIt) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    std::string expected;
    {
        const Scene scene(Target::kNew);
        ASSERT_TRUE(
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate())
                .Succeeded());
        expected = fault::ReadBytes(scene.Path());
    }
    const auto write = [&](const Scene& scene, SystemCall call, unsigned long nth, int error) {
        faults::Arm(call, nth, error);
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        EXPECT_EQ(faults::Failed(), call);
        return report;
    };
    const auto refusedAtOpen = [](const reuseblocks::WriteReport& report, const Scene& scene) {
        EXPECT_EQ(report.step, reuseblocks::WriteStep::kOpen) << report.message;
        EXPECT_EQ(report.systemError, EACCES);
        EXPECT_EQ(report.message, "cannot write \"" + scene.Path() +
                                      "\": " + std::strerror(EACCES) + " (while opening)");
    };
    {
        SCOPED_TRACE("a read-only file");
        const Scene scene(Target::kReplaced);
        refusedAtOpen(write(scene, SystemCall::kOpen, 1, EACCES), scene);
        scene.Check(false, "");
    }
    {
        SCOPED_TRACE("a new file in a read-only directory");
        const Scene scene(Target::kNew);
        refusedAtOpen(write(scene, SystemCall::kOpenAt, 1, EACCES), scene);
        scene.Check(false, "");
    }
    for (const int error : {EACCES, EPERM}) {
        SCOPED_TRACE("a writable file in a read-only directory: written in place");
        const Scene scene(Target::kReplaced);
        const auto report = write(scene, SystemCall::kOpenAt, 1, error);
        EXPECT_TRUE(report.Succeeded()) << report.message;
        EXPECT_EQ(faults::Count(SystemCall::kRenameAt), 0u);
        scene.Check(true, expected);
    }
    {
        // Where the kernel will not follow a link another user planted in a shared directory
        // (protected symlinks), the write fails; the library never follows it by itself.
        SCOPED_TRACE("a planted link the kernel will not follow");
        const Scene scene(Target::kDanglingLink);
        // Its third open: after the path's own, which finds no file, and its directory's.
        refusedAtOpen(write(scene, SystemCall::kOpen, 3, EACCES), scene);
        scene.Check(false, "");
    }
}

// Without any source of random bytes the block index still gets a key, and not a fixed one.
TEST(SystemCallFailure, AHashKeyWithoutRandomBytes) {
    using reuseblocks::detail::HashKey;
    using reuseblocks::detail::ReadHashKey;
    HashKey keys[2] = {};
    for (HashKey& key : keys) {
        faults::Arm(SystemCall::kOpen, 1, ENOENT);
        faults::FailEvery(SystemCall::kGetrandom, ENOSYS);
        key = ReadHashKey();
        faults::Disarm();
        EXPECT_EQ(faults::Failed(), SystemCall::kOpen) << "/dev/urandom not asked";
    }
    EXPECT_TRUE(keys[0].k0 != keys[1].k0 || keys[0].k1 != keys[1].k1);
    EXPECT_TRUE(keys[0].k0 != 0 || keys[0].k1 != 0);
}

namespace {

// A POSIX ACL as its extended attribute holds it: a version, then each entry's tag, permissions
// and id, little-endian. This one lets one more user read.
std::string AclGrantingAnotherUser() {
    std::string value;
    const auto put = [&value](std::uint32_t number, int bytes) {
        for (int i = 0; i < bytes; ++i) value += static_cast<char>((number >> (8 * i)) & 0xff);
    };
    put(2, 4);
    const std::uint32_t entries[][3] = {
        {0x01, 6, ~0u}, {0x02, 4, kOtherOwner}, {0x04, 4, ~0u}, {0x10, 4, ~0u}, {0x20, 4, ~0u}};
    for (const auto& entry : entries) {
        put(entry[0], 2);
        put(entry[1], 2);
        put(entry[2], 4);
    }
    return value;
}

// The file's access ACL, empty when it has none.
std::string AccessAcl(const std::string& path) {
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), "system.posix_acl_access", value, sizeof value);
    return size > 0 ? std::string(value, static_cast<std::size_t>(size)) : std::string();
}

}  // namespace

// In a directory whose new files get an ACL, the new file is made to carry the old one's: the
// same ACL, another one, or none, next to the old file's other attributes. Where the ACL a new
// file got cannot be taken off, the old file is written in place instead.
TEST(SystemCallFailure, ReplaceInADirectoryThatGivesNewFilesAnAcl) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    const struct {
        const char* what;
        bool aclBefore;  // the old file made after the directory got its default ACL
        mode_t mode;
        int removeError;  // how taking the ACL off the new file fails, 0: it does not
        bool replaced;
    } cases[] = {
        {"no ACL", false, 0644, 0, true},
        {"the ACL a new file gets", true, 0600, 0, true},
        {"an ACL of its own mode", true, 0644, 0, true},
        // The seam's answer only: the ACL stays on the new file, which takes the old one's place.
        {"no ACL, taken off the new file already", false, 0644, ENODATA, true},
        {"no ACL, which the new file cannot lose", false, 0644, EIO, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        fault::ScratchDir dir;
        const std::string path = dir.File("board.blocks");
        const std::string acl = AclGrantingAnotherUser();
        const auto giveDefaultAcl = [&] {
            return ::setxattr(dir.Path().c_str(), "system.posix_acl_default", acl.data(),
                              acl.size(), 0) == 0;
        };
        if (test.aclBefore && !giveDefaultAcl()) GTEST_SKIP() << "no ACLs here";
        const int made = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, test.mode);
        ASSERT_GE(made, 0);
        ASSERT_EQ(::write(made, "# old\n", 6), 6);
        ::close(made);
        ASSERT_EQ(::setxattr(path.c_str(), "user.origin", "kept", 4, 0), 0);
        if (!test.aclBefore && !giveDefaultAcl()) GTEST_SKIP() << "no ACLs here";
        const std::string oldAcl = AccessAcl(path);
        EXPECT_EQ(oldAcl.empty(), !test.aclBefore);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);

        faults::Arm(test.removeError ? SystemCall::kRemoveXattr : SystemCall::kAny,
                    test.removeError ? 1 : 0, test.removeError);
        const auto report = reuseblocks::WriteFileWithReport(blocks, path.c_str(), "fault");
        faults::Disarm();
        ASSERT_TRUE(report.Succeeded()) << report.message;
        EXPECT_EQ(faults::Count(SystemCall::kRenameAt) > 0, test.replaced);
        EXPECT_NE(fault::ReadBytes(path).find("/TOP/B3"), std::string::npos);
        if (test.removeError != ENODATA) {
            EXPECT_TRUE(AccessAcl(path) == oldAcl) << "the ACL changed";
        }
        char value[16] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "user.origin", value, sizeof value), 4);
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});
    }
}

// An output target taken step by step, as the writer never takes it: room asked for twice, for
// nothing or for more than a file can hold, text written without asking for room, a commit
// with nothing written, and a second commit.
TEST(SystemCallFailure, AnOutputTargetWrittenInPlaceStepByStep) {
    using reuseblocks::detail::platform::OutputTarget;
    fault::ScratchDir dir;
    const std::string path = dir.File("board.blocks");
    const std::string old = "# the old text, longer than the new\n";
    fault::WriteBytes(path, old);
    ASSERT_EQ(::link(path.c_str(), dir.File("other-name").c_str()), 0);
    const std::string text = "# new\n";
    {
        OutputTarget target;
        EXPECT_FALSE(target.NeedsWholeText()) << "nothing opened";
        ASSERT_TRUE(target.Open(path.c_str()));
        EXPECT_TRUE(target.NeedsWholeText());
        EXPECT_FALSE(target.Reserve(~std::uint64_t{0}));
        EXPECT_EQ(target.Failure().step, reuseblocks::WriteStep::kInPlace);
        EXPECT_EQ(target.Failure().error, EFBIG);
        ASSERT_TRUE(target.Reserve(text.size()));
        faults::Arm(SystemCall::kAny, 0, 0);
        ASSERT_TRUE(target.Reserve(text.size()));
        EXPECT_EQ(faults::Count(SystemCall::kAny), 0u) << "room made twice";
        faults::Disarm();
        ASSERT_TRUE(target.Write(text.data(), text.size()));
        ASSERT_TRUE(target.Commit());
        EXPECT_FALSE(target.Commit());
        EXPECT_EQ(target.Failure().step, reuseblocks::WriteStep::kFlush);
        EXPECT_EQ(target.Failure().error, EBADF);
    }
    EXPECT_EQ(fault::ReadBytes(path), text);
    fault::WriteBytes(path, old);
    {
        // The first write makes the room, and fails when there is none.
        OutputTarget target;
        ASSERT_TRUE(target.Open(path.c_str()));
        const std::string longer(old.size() * 2, '#');
        faults::Arm(SystemCall::kFallocate, 1, ENOSPC);
        EXPECT_FALSE(target.Write(longer.data(), longer.size()));
        faults::Disarm();
        EXPECT_EQ(target.Failure().step, reuseblocks::WriteStep::kInPlace);
        EXPECT_EQ(target.Failure().error, ENOSPC);
    }
    EXPECT_EQ(fault::ReadBytes(path), old);
    {
        // Nothing written: the cut at the end that fails has nothing to put back.
        OutputTarget target;
        ASSERT_TRUE(target.Open(path.c_str()));
        faults::Arm(SystemCall::kFtruncate, 1, EIO);
        EXPECT_FALSE(target.Commit());
        faults::Disarm();
        EXPECT_EQ(target.Failure().step, reuseblocks::WriteStep::kInPlace);
        EXPECT_EQ(target.Failure().error, EIO);
    }
    EXPECT_EQ(fault::ReadBytes(path), old);
    {
        // Room for nothing: an empty text empties the file.
        OutputTarget target;
        ASSERT_TRUE(target.Open(path.c_str()));
        ASSERT_TRUE(target.Reserve(0));
        ASSERT_TRUE(target.Commit());
    }
    EXPECT_EQ(fault::ReadBytes(path), "");
    EXPECT_EQ(fault::ReadBytes(dir.File("other-name")), "");
}

// Where a second call fails while the first failure is being undone, the first is the one
// reported, and what could still be undone is: the room made is taken back without the old
// text read, and the old text is kept where the size could not be looked at again.
TEST(SystemCallFailure, AFailureWhileUndoingAnotherInPlace) {
    CReuseBlockFile blocks;
    Sample(blocks, 40);
    // The `call` made last while the write fails with `first`.
    const auto last = [&](SystemCall failing, int first, SystemCall call) {
        const Scene scene(Target::kInPlaceShorter);
        faults::Arm(SystemCall::kAny, 0, 0);
        faults::FailEvery(failing, first);
        reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        return faults::Count(call);
    };
    const struct {
        const char* what;
        SystemCall failing;
        int first;
        SystemCall second;
        unsigned long nth;  // 0: every call of `second` fails
        reuseblocks::WriteStep step;
    } cases[] = {
        {"no room, and no size", SystemCall::kFallocate, ENOSPC, SystemCall::kFstat,
         last(SystemCall::kFallocate, ENOSPC, SystemCall::kFstat),
         reuseblocks::WriteStep::kInPlace},
        {"no write, and no size", SystemCall::kWrite, ENOSPC, SystemCall::kFstat,
         last(SystemCall::kWrite, ENOSPC, SystemCall::kFstat), reuseblocks::WriteStep::kFlush},
        {"no write, and no old text", SystemCall::kWrite, ENOSPC, SystemCall::kPread, 0,
         reuseblocks::WriteStep::kFlush},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const Scene scene(Target::kInPlaceShorter);
        const std::string old = fault::ReadBytes(scene.Path());
        if (test.nth != 0) {
            faults::Arm(test.second, test.nth, EIO);
            faults::FailEvery(test.failing, test.first);
        } else {
            faults::Arm(test.failing, 1, test.first);
            faults::FailEvery(test.second, EIO);
        }
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        EXPECT_EQ(report.step, test.step) << report.message;
        EXPECT_EQ(report.systemError, test.first) << report.message;
        EXPECT_EQ(fault::ReadBytes(scene.Path()).substr(0, old.size()), old);
    }
}

// A look at the target's directory that finds its path changed meanwhile (a folder on it
// replaced by a file, a link loop) looks again, and then replaces the file.
TEST(SystemCallFailure, ALookThatFindsThePathChangedLooksAgain) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    for (const int error : {ENOENT, ENOTDIR, ELOOP}) {
        SCOPED_TRACE(std::strerror(error));
        const Scene scene(Target::kReplaced);
        faults::Arm(SystemCall::kFstatAt, 1, error);
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        EXPECT_EQ(faults::Failed(), SystemCall::kFstatAt);
        ASSERT_TRUE(report.Succeeded()) << report.message;
        EXPECT_EQ(faults::Count(SystemCall::kRenameAt), 1u);
        scene.Check(true, fault::ReadBytes(scene.Path()));
    }
    // A folder that was not there when the path ending in a slash was opened, and is now.
    fault::ScratchDir dir;
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0700), 0);
    faults::Arm(SystemCall::kOpen, 1, ENOENT);
    const auto report =
        reuseblocks::WriteFileWithReport(blocks, (dir.File("folder") + "/").c_str(), "fault");
    faults::Disarm();
    EXPECT_EQ(report.step, reuseblocks::WriteStep::kOpen) << report.message;
    EXPECT_EQ(report.systemError, EISDIR) << report.message;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"folder"});
}

// The empty file made for a dangling link stays where it cannot be taken away again after a
// failure, or cannot be looked at; the failure reported is still the write's, or the open's.
TEST(SystemCallFailure, AFileMadeForADanglingLinkThatCannotBeRemoved) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    // The calls of `call` while the sync fails: the last is the look before the removal.
    unsigned long looks = 0;
    {
        const Scene scene(Target::kDanglingLink);
        faults::Arm(SystemCall::kFsync, 1, EIO);
        reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        looks = faults::Count(SystemCall::kFstatAt);
    }
    const struct {
        const char* what;
        SystemCall first;
        unsigned long nth;
        SystemCall every;  // kAny: none
        reuseblocks::WriteStep step;
    } cases[] = {
        {"not removed", SystemCall::kFsync, 1, SystemCall::kUnlinkAt,
         reuseblocks::WriteStep::kSync},
        {"not looked at before the removal", SystemCall::kFstatAt, looks, SystemCall::kFsync,
         reuseblocks::WriteStep::kSync},
        {"not looked at once made", SystemCall::kFstatAt, 2, SystemCall::kFstat,
         reuseblocks::WriteStep::kOpen},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const Scene scene(Target::kDanglingLink);
        faults::Arm(test.first, test.nth, EIO);
        faults::FailEvery(test.every, test.every == SystemCall::kUnlinkAt ? EACCES : EIO);
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        EXPECT_EQ(faults::Failed(), test.first);
        EXPECT_EQ(report.step, test.step) << report.message;
        EXPECT_EQ(report.systemError, EIO) << report.message;
        EXPECT_EQ(fault::ReadBytes(scene.Path()), "");
    }
    // A link to a file in the root directory, which the kernel will not make.
    fault::ScratchDir dir;
    const std::string leadsTo = "/" + std::string(dir.Path()).substr(dir.Path().rfind('/') + 1);
    ASSERT_EQ(::symlink(leadsTo.c_str(), dir.File("board.blocks").c_str()), 0);
    faults::Arm(SystemCall::kOpen, 3, EACCES);
    const auto report =
        reuseblocks::WriteFileWithReport(blocks, dir.File("board.blocks").c_str(), "fault");
    faults::Disarm();
    EXPECT_EQ(faults::Failed(), SystemCall::kOpen);
    EXPECT_EQ(report.step, reuseblocks::WriteStep::kOpen) << report.message;
    EXPECT_EQ(report.systemError, EACCES) << report.message;
    struct stat made {};
    EXPECT_NE(::lstat(leadsTo.c_str(), &made), 0) << leadsTo << " made";
}

// A close that fails after another failure does not hide it.
TEST(SystemCallFailure, AFailedCloseAfterAFailedSyncReportsTheSync) {
    CReuseBlockFile blocks;
    Sample(blocks, 4);
    for (const Target kind : {Target::kReplaced, Target::kInPlaceShorter}) {
        SCOPED_TRACE(TargetName(kind));
        const Scene scene(kind);
        const int descriptors = fault::OpenDescriptors();
        faults::Arm(SystemCall::kFsync, 1, EIO);
        faults::FailEvery(SystemCall::kClose, EBADF);
        const auto report =
            reuseblocks::WriteFileWithReport(blocks, scene.Path().c_str(), "fault", FixedDate());
        faults::Disarm();
        EXPECT_EQ(report.step, reuseblocks::WriteStep::kSync) << report.message;
        EXPECT_EQ(report.systemError, EIO) << report.message;
        EXPECT_EQ(fault::OpenDescriptors(), descriptors) << "a descriptor left open";
        if (kind == Target::kReplaced) scene.Check(false, "");
    }
}
