// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_WIN32_WIDE_PATH_H
#define REUSEBLOCKS_PLATFORM_WIN32_WIDE_PATH_H

#include <windows.h>

#include <string>

#include "platform/file_system.h"

namespace reuseblocks::detail::platform {

// `path`, 8-bit in the process's ANSI code page as hosts have always passed it, for the wide
// API: long paths and a UTF-8 code page work too. False, with `wide` unspecified, when the bytes
// are not text in that code page (no file is then ever opened by a guessed name).
bool ToWidePath(const char* path, std::wstring& wide);

// The Win32 error as this layer reports errors: the errno value for the same failure, so that
// messages read the same on every system.
ErrorCode FromWin32Error(DWORD error) noexcept;

// Closes a handle on every path out of a scope.
class UniqueHandle {
  public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(HANDLE handle) noexcept : m_handle(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Close(); }

    HANDLE Get() const noexcept { return m_handle; }
    bool IsOpen() const noexcept { return m_handle != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle) noexcept {
        Close();
        m_handle = handle;
    }
    // Gives up ownership without closing.
    void Release() noexcept { m_handle = INVALID_HANDLE_VALUE; }
    // Closes the handle and reports whether that succeeded; it is closed either way.
    bool Close() noexcept {
        if (m_handle == INVALID_HANDLE_VALUE) return true;
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != 0;
    }

  private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_WIN32_WIDE_PATH_H
