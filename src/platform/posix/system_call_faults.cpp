// SPDX-License-Identifier: MIT
// The state of the fault-injection seam: what is armed, and the calls counted since.
#include <atomic>
#include <cerrno>

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

namespace {

constexpr int kCalls = static_cast<int>(faults::SystemCall::kCount);

// The loader's threads read at once: every count is atomic.
std::atomic<unsigned long> g_counts[kCalls];
std::atomic<int> g_which{0};
std::atomic<unsigned long> g_nth{0};
std::atomic<int> g_error{0};
std::atomic<int> g_failed{0};
std::atomic<int> g_every{-1};  // a call that always fails, or -1
std::atomic<int> g_everyError{0};

}  // namespace

namespace sys {

std::atomic<bool> g_faultsArmed{false};

bool InterceptCall(SystemCall call) noexcept {
    const auto index = static_cast<int>(call);
    const unsigned long any = g_counts[0].fetch_add(1) + 1;
    const unsigned long own = g_counts[index].fetch_add(1) + 1;
    if (index == g_every.load()) {
        errno = g_everyError.load();
        return true;
    }
    const int which = g_which.load();
    const unsigned long nth = g_nth.load();
    if (nth == 0 || (which != 0 && which != index) || (which == 0 ? any : own) != nth) {
        return false;
    }
    g_failed.store(index);
    errno = g_error.load();
    return true;
}

}  // namespace sys

namespace faults {

const char* Name(SystemCall call) noexcept {
    static const char* const kNames[kCalls] = {
        "any",      "open",       "openat",    "close",      "read",         "pread",
        "write",    "pwrite",     "poll",      "fstat",      "fstatat",      "stat",
        "access",   "fcntl",      "fsync",     "ftruncate",  "fallocate",    "getrlimit",
        "renameat", "linkat",     "unlinkat",  "readlinkat", "realpath",     "fchown",
        "fchmod",   "flistxattr", "fgetxattr", "fsetxattr",  "fremovexattr", "flock",
        "getrandom"};
    const auto index = static_cast<int>(call);
    return index >= 0 && index < kCalls ? kNames[index] : "unknown";
}

void Arm(SystemCall which, unsigned long nth, ErrorCode error) noexcept {
    sys::g_faultsArmed.store(false);
    for (auto& count : g_counts) count.store(0);
    g_which.store(static_cast<int>(which));
    g_nth.store(nth);
    g_error.store(error);
    g_failed.store(0);
    g_every.store(-1);
    sys::g_faultsArmed.store(true);
}

void FailEvery(SystemCall which, ErrorCode error) noexcept {
    g_everyError.store(error);
    g_every.store(static_cast<int>(which));
}

void Disarm() noexcept {
    sys::g_faultsArmed.store(false);
}

unsigned long Count(SystemCall which) noexcept {
    const auto index = static_cast<int>(which);
    return index >= 0 && index < kCalls ? g_counts[index].load() : 0;
}

SystemCall Failed() noexcept {
    return static_cast<SystemCall>(g_failed.load());
}

}  // namespace faults

}  // namespace reuseblocks::detail::platform
