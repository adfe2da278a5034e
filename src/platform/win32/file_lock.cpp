// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/file_lock.h"
#include "win32/file_identity.h"
#include "win32/wide_path.h"

namespace reuseblocks::detail::platform {

namespace {

// Windows locks keep other handles from the bytes they cover, the tool's own reader too, so the
// lock covers one byte far beyond any blocks file's end.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

// By the name the reader opens it by, so that both reach the same file.
HANDLE OpenShared(const std::string& path) {
    std::wstring wide;
    if (!ToWidePath(path.c_str(), wide)) return INVALID_HANDLE_VALUE;
    return CreateFileW(wide.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

void FileLock::Release(std::intptr_t handle) noexcept {
    CloseHandle(reinterpret_cast<HANDLE>(handle));  // closing releases the lock
}

FileLock FileLock::Acquire(const std::string& path, bool wait, Refusal& refusal, ErrorCode& error) {
    refusal = Refusal::kNone;
    error = 0;
    for (;;) {
        const HANDLE file = OpenShared(path);
        if (file == INVALID_HANDLE_VALUE) return FileLock();
        FileLock lock(reinterpret_cast<std::intptr_t>(file));
        if (GetFileType(file) != FILE_TYPE_DISK) return FileLock();
        OVERLAPPED where{};
        where.OffsetHigh = kLockOffsetHigh;
        const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
        if (!LockFileEx(file, flags, 0, 1, 0, &where)) {
            const DWORD failure = GetLastError();
            if (failure == ERROR_LOCK_VIOLATION || failure == ERROR_IO_PENDING) {
                refusal = Refusal::kBusy;
                return FileLock();
            }
            return FileLock();  // a file system without locks: edit as every other tool does
        }
        // The holder before us may have renamed a new file over the path: lock that one.
        const HANDLE current = OpenShared(path);
        if (current == INVALID_HANDLE_VALUE) return FileLock();  // the load will say why
        const bool same = SameFile(file, current);
        CloseHandle(current);
        if (same) return lock;
    }
}

}  // namespace reuseblocks::detail::platform
