// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_FILE_LOCK_H
#define REUSEBLOCKS_PLATFORM_FILE_LOCK_H

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace reuseblocks::detail::platform {

// An advisory lock on a blocks file, held by every command that writes over the file from before
// it reads to the end of its write, so that two of them take turns instead of one losing the
// other's change. It locks the file, not the name: every name of one file takes the same lock.
// Edits replace the file by renaming a new one over it, so the lock is taken on the file the path
// names and taken again when the path has moved on to another file meanwhile. Only tools that lock
// take turns; a program that does not lock is not held back.
//
// posix/file_lock.cpp (flock) and win32/file_lock.cpp (LockFileEx) are the only places that
// know the platform's locking call.
class FileLock {
  public:
    // Why Acquire holds no lock although there was a file to lock.
    enum class Refusal {
        kNone,
        kBusy,    // another process holds it, and the caller would not wait
        kFailed,  // the system would not lock it: `error` says why
    };

    FileLock() = default;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Locks the regular file at `path`, waiting for another holder unless `wait` is false.
    // Returns an empty lock with `refusal` kNone when there is nothing to lock (no such file, not
    // a regular file, a file system without locks): the load that follows reports a missing
    // file. Otherwise an empty lock says in `refusal` (and `error`) why it is not held.
    static FileLock Acquire(const std::string& path, bool wait, Refusal& refusal, ErrorCode& error);

    bool Held() const { return m_handle != kNone; }

  private:
    // A file descriptor, or a HANDLE on Windows.
    static constexpr std::intptr_t kNone = -1;
    explicit FileLock(std::intptr_t handle) : m_handle(handle) {}
    static void Release(std::intptr_t handle) noexcept;
    std::intptr_t m_handle = kNone;
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_FILE_LOCK_H
