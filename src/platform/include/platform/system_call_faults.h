// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_SYSTEM_CALL_FAULTS_H
#define REUSEBLOCKS_PLATFORM_SYSTEM_CALL_FAULTS_H

// The fault-injection seam of the POSIX layer: every system call it makes passes here, so that a
// test can count the calls an operation makes and make any one of them fail. Hidden inside the
// library; tests reach it through a static copy (tests/fault/CMakeLists.txt). While nothing is
// armed each call costs one relaxed load of a flag.

#include "platform/file_system.h"

namespace reuseblocks::detail::platform::faults {

enum class SystemCall : int {
    kAny,  // for Arm and Count: every call below
    kOpen,
    kOpenAt,
    kClose,
    kRead,
    kPread,
    kWrite,
    kPwrite,
    kPoll,
    kFstat,
    kFstatAt,
    kStat,
    kAccess,
    kFcntl,
    kFsync,
    kFtruncate,
    kFallocate,
    kGetrlimit,
    kRenameAt,
    kLinkAt,
    kUnlinkAt,
    kReadlinkAt,
    kRealpath,
    kFchown,
    kFchmod,
    kListXattr,
    kGetXattr,
    kSetXattr,
    kRemoveXattr,
    kFlock,
    kGetrandom,
    kCount,
};

// The call's name as the system spells it ("openat"); "any" for kAny.
const char* Name(SystemCall call) noexcept;

// Counts every call from here on, from zero; the `nth` (from 1) call of `which` then fails with
// `error` without reaching the system, and the calls after it go through. 0: count only.
void Arm(SystemCall which, unsigned long nth, ErrorCode error) noexcept;
// After Arm: every call of `which` fails with `error` too, as on a system or file system that
// lacks it (fallocate with EOPNOTSUPP). It is counted, but not as the one Failed names.
void FailEvery(SystemCall which, ErrorCode error) noexcept;
// Counting and failing stop; the counts stay readable.
void Disarm() noexcept;
// The calls of `which` since the last Arm.
unsigned long Count(SystemCall which) noexcept;
// The call that was made to fail since the last Arm, or kAny when none was.
SystemCall Failed() noexcept;

}  // namespace reuseblocks::detail::platform::faults

#endif  // REUSEBLOCKS_PLATFORM_SYSTEM_CALL_FAULTS_H
