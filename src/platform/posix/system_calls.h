// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_SYSTEM_CALLS_H
#define REUSEBLOCKS_PLATFORM_POSIX_SYSTEM_CALLS_H

// The system calls of the POSIX layer, each through the fault-injection seam
// (platform/system_call_faults.h): the code of this folder calls these, never the system's own.
// A call fails as the system's would, -1 (or null) with errno set.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#if __has_include(<sys/random.h>)
#include <sys/random.h>
#endif

#include "platform/system_call_faults.h"

namespace reuseblocks::detail::platform::sys {

using faults::SystemCall;

// Whether a test armed the seam; read on every call, so no more than a relaxed load.
extern std::atomic<bool> g_faultsArmed;
// Counts `call` and tells whether it is the one to fail, with errno set for it.
bool InterceptCall(SystemCall call) noexcept;

inline bool Failing(SystemCall call) noexcept {
    return g_faultsArmed.load(std::memory_order_relaxed) && InterceptCall(call);
}

inline int Open(const char* path, int flags, mode_t mode = 0) noexcept {
    return Failing(SystemCall::kOpen) ? -1 : ::open(path, flags, mode);
}
inline int OpenAt(int directory, const char* path, int flags, mode_t mode = 0) noexcept {
    return Failing(SystemCall::kOpenAt) ? -1 : ::openat(directory, path, flags, mode);
}
inline int Close(int fd) noexcept {
    // A close that fails has closed the descriptor all the same (Linux, and POSIX for EIO).
    if (Failing(SystemCall::kClose)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return ::close(fd);
}
inline ssize_t Read(int fd, void* buffer, std::size_t size) noexcept {
    return Failing(SystemCall::kRead) ? -1 : ::read(fd, buffer, size);
}
inline ssize_t Pread(int fd, void* buffer, std::size_t size, off_t offset) noexcept {
    return Failing(SystemCall::kPread) ? -1 : ::pread(fd, buffer, size, offset);
}
inline ssize_t Write(int fd, const void* data, std::size_t size) noexcept {
    return Failing(SystemCall::kWrite) ? -1 : ::write(fd, data, size);
}
inline ssize_t Pwrite(int fd, const void* data, std::size_t size, off_t offset) noexcept {
    return Failing(SystemCall::kPwrite) ? -1 : ::pwrite(fd, data, size, offset);
}
inline int Poll(pollfd* fds, nfds_t count, int timeout) noexcept {
    return Failing(SystemCall::kPoll) ? -1 : ::poll(fds, count, timeout);
}
inline int Fstat(int fd, struct stat* info) noexcept {
    return Failing(SystemCall::kFstat) ? -1 : ::fstat(fd, info);
}
inline int FstatAt(int directory, const char* path, struct stat* info, int flags) noexcept {
    return Failing(SystemCall::kFstatAt) ? -1 : ::fstatat(directory, path, info, flags);
}
inline int Stat(const char* path, struct stat* info) noexcept {
    return Failing(SystemCall::kStat) ? -1 : ::stat(path, info);
}
inline int Access(const char* path, int mode) noexcept {
    return Failing(SystemCall::kAccess) ? -1 : ::access(path, mode);
}
inline int Fcntl(int fd, int command) noexcept {
    return Failing(SystemCall::kFcntl) ? -1 : ::fcntl(fd, command);
}
inline int Fcntl(int fd, int command, int argument) noexcept {
    return Failing(SystemCall::kFcntl) ? -1 : ::fcntl(fd, command, argument);
}
inline int Fsync(int fd) noexcept {
    return Failing(SystemCall::kFsync) ? -1 : ::fsync(fd);
}
inline int Ftruncate(int fd, off_t length) noexcept {
    return Failing(SystemCall::kFtruncate) ? -1 : ::ftruncate(fd, length);
}
#if defined(__linux__)
inline int Fallocate(int fd, int mode, off_t offset, off_t length) noexcept {
    return Failing(SystemCall::kFallocate) ? -1 : ::fallocate(fd, mode, offset, length);
}
#elif !defined(__APPLE__)
// As posix_fallocate: the error, not -1.
inline int PosixFallocate(int fd, off_t offset, off_t length) noexcept {
    return Failing(SystemCall::kFallocate) ? errno : ::posix_fallocate(fd, offset, length);
}
#endif
inline int Getrlimit(int resource, rlimit* limit) noexcept {
    return Failing(SystemCall::kGetrlimit) ? -1 : ::getrlimit(resource, limit);
}
inline int RenameAt(int fromDirectory, const char* from, int toDirectory, const char* to) noexcept {
    return Failing(SystemCall::kRenameAt) ? -1 : ::renameat(fromDirectory, from, toDirectory, to);
}
inline int LinkAt(int fromDirectory, const char* from, int toDirectory, const char* to,
                  int flags) noexcept {
    return Failing(SystemCall::kLinkAt) ? -1
                                        : ::linkat(fromDirectory, from, toDirectory, to, flags);
}
inline int UnlinkAt(int directory, const char* path, int flags) noexcept {
    return Failing(SystemCall::kUnlinkAt) ? -1 : ::unlinkat(directory, path, flags);
}
inline ssize_t ReadlinkAt(int directory, const char* path, char* text, std::size_t size) noexcept {
    return Failing(SystemCall::kReadlinkAt) ? -1 : ::readlinkat(directory, path, text, size);
}
// Null with errno set on failure; the caller frees the result.
inline char* Realpath(const char* path) noexcept {
    return Failing(SystemCall::kRealpath) ? nullptr : ::realpath(path, nullptr);
}
inline int Fchown(int fd, uid_t owner, gid_t group) noexcept {
    return Failing(SystemCall::kFchown) ? -1 : ::fchown(fd, owner, group);
}
inline int Fchmod(int fd, mode_t mode) noexcept {
    return Failing(SystemCall::kFchmod) ? -1 : ::fchmod(fd, mode);
}
inline int Flock(int fd, int operation) noexcept {
    return Failing(SystemCall::kFlock) ? -1 : ::flock(fd, operation);
}
#if defined(GRND_NONBLOCK)
inline ssize_t Getrandom(void* bytes, std::size_t count, unsigned flags) noexcept {
    return Failing(SystemCall::kGetrandom) ? -1 : ::getrandom(bytes, count, flags);
}
#endif

}  // namespace reuseblocks::detail::platform::sys

#endif  // REUSEBLOCKS_PLATFORM_POSIX_SYSTEM_CALLS_H
