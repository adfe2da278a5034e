// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_lock.h"

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

namespace {

int LockOnce(int fd, bool wait) {
    int result;
    do {
        result = sys::Flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

}  // namespace

void FileLock::Release(std::intptr_t handle) noexcept {
    sys::Close(static_cast<int>(handle));  // closing releases the lock
}

FileLock FileLock::Acquire(const std::string& path, bool wait, Refusal& refusal, ErrorCode& error) {
    refusal = Refusal::kNone;
    error = 0;
    for (;;) {
        // Non-blocking, so that a FIFO without a writer cannot hold the open.
        const int fd = sys::Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return FileLock();
        FileLock lock(fd);
        struct stat locked {};
        if (sys::Fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode)) return FileLock();
        const int failure = LockOnce(fd, wait);
        if (failure == EWOULDBLOCK) {
            refusal = Refusal::kBusy;
            return FileLock();
        }
        if (failure != 0) {
            // A file system without locks: editing without one is what every other tool does.
            if (failure == ENOLCK || failure == EOPNOTSUPP || failure == ENOSYS) return FileLock();
            refusal = Refusal::kFailed;
            error = failure;
            return FileLock();
        }
        // The holder before us may have renamed a new file over the path: lock that one.
        struct stat current {};
        if (sys::Stat(path.c_str(), &current) != 0) return FileLock();  // the load will say why
        if (current.st_dev == locked.st_dev && current.st_ino == locked.st_ino) return lock;
    }
}

}  // namespace reuseblocks::detail::platform
