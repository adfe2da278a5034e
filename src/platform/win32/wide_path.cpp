// SPDX-License-Identifier: MIT
#include "win32/wide_path.h"

#include "platform/utf8_path.h"

#include <cerrno>
#include <climits>
#include <cstring>

namespace reuseblocks::detail::platform {

namespace {

// Above this length a path takes the \\?\ form, which lifts the MAX_PATH limit; the margin
// leaves room for the temporary name made beside a target.
constexpr std::size_t kShortPathLimit = MAX_PATH - 20;

// Control characters are never part of a Windows file name, so a path that starts with this one
// cannot name a file in the ANSI code page: it marks a UTF-8 path (see PathFromUtf8).
constexpr char kUtf8Mark = '\x01';

bool Widen(const char* text, std::wstring& wide) {
    UINT codePage = CP_ACP;
    if (*text == kUtf8Mark) {
        codePage = CP_UTF8;
        ++text;
    }
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > INT_MAX) return false;
    const int size = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text,
                                           static_cast<int>(length), nullptr, 0);
    if (size <= 0) return false;
    wide.assign(static_cast<std::size_t>(size), L'\0');
    return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, static_cast<int>(length),
                                 wide.data(), size) == size;
}

}  // namespace

bool ToWidePath(const char* path, std::wstring& wide) {
    if (!path || !Widen(path, wide)) return false;
    if (wide.size() < kShortPathLimit || wide.compare(0, 4, L"\\\\?\\") == 0) return true;
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return false;
    std::wstring full(size, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size) return false;
    full.resize(written);
    if (full.compare(0, 2, L"\\\\") == 0) {
        wide = L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share
    } else {
        wide = L"\\\\?\\" + full;
    }
    return true;
}

std::string PathFromUtf8(const char* path) {
    if (!path || !*path) return std::string();
    return kUtf8Mark + std::string(path);
}

ErrorCode FromWin32Error(DWORD error) noexcept {
    switch (error) {
        case ERROR_SUCCESS:
            return 0;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_PATHNAME:
        case ERROR_NO_UNICODE_TRANSLATION:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_TOO_LARGE:
            return EFBIG;
        case ERROR_CANT_RESOLVE_FILENAME:  // links that lead round in a circle
            return ELOOP;
        case ERROR_DIRECTORY:
            return EISDIR;
        case ERROR_BAD_FILE_TYPE:
            return EINVAL;
        default:
            return EIO;
    }
}

}  // namespace reuseblocks::detail::platform
