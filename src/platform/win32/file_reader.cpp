// SPDX-License-Identifier: MIT
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "win32/wide_path.h"

namespace reuseblocks::detail::platform {

namespace {

// Asked for at most this much per ReadFile, whose count is a DWORD.
constexpr std::size_t kMaxRead = std::size_t{1} << 30;

HANDLE HandleOf(std::intptr_t handle) noexcept {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::string ErrorText(ErrorCode error) {
    return std::strerror(error);
}

FileReader::~FileReader() {
    if (HandleOf(m_handle) != INVALID_HANDLE_VALUE) ::CloseHandle(HandleOf(m_handle));
}

ErrorCode FileReader::Open(const char* path) noexcept {
    std::wstring wide;
    try {
        if (!ToWidePath(path, wide)) return ENOENT;
    } catch (...) {  // std::bad_alloc: this function reports errors, it does not throw
        return ENOMEM;
    }
    // Full sharing: a host reading a file never makes another program's save of it fail.
    UniqueHandle file(::CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsOpen()) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return EISDIR;
        }
        return FromWin32Error(error);
    }
    // A console or a serial port would wait for someone to type: only files and pipes are read.
    const DWORD type = ::GetFileType(file.Get());
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) return EINVAL;
    if (HandleOf(m_handle) != INVALID_HANDLE_VALUE) ::CloseHandle(HandleOf(m_handle));
    m_handle = reinterpret_cast<std::intptr_t>(file.Get());
    file.Release();
    return 0;
}

std::ptrdiff_t FileReader::Read(char* buffer, std::size_t size, ErrorCode& error) noexcept {
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(size < kMaxRead ? size : kMaxRead);
    if (::ReadFile(HandleOf(m_handle), buffer, wanted, &got, nullptr)) {
        return static_cast<std::ptrdiff_t>(got);
    }
    const DWORD failure = ::GetLastError();
    if (failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF) return 0;  // writer gone
    error = FromWin32Error(failure);
    return -1;
}

bool FileReader::RegularFileSize(std::uint64_t& size) const noexcept {
    LARGE_INTEGER bytes{};
    if (HandleOf(m_handle) == INVALID_HANDLE_VALUE ||
        ::GetFileType(HandleOf(m_handle)) != FILE_TYPE_DISK ||
        !::GetFileSizeEx(HandleOf(m_handle), &bytes)) {
        return false;
    }
    size = static_cast<std::uint64_t>(bytes.QuadPart);
    return true;
}

std::ptrdiff_t FileReader::ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                                  ErrorCode& error) const noexcept {
    // On a handle opened for synchronous reads, the offset of an OVERLAPPED structure says where
    // to read and the call still waits for the data.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xffffffffu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(size < kMaxRead ? size : kMaxRead);
    if (::ReadFile(HandleOf(m_handle), buffer, wanted, &got, &at)) {
        return static_cast<std::ptrdiff_t>(got);
    }
    const DWORD failure = ::GetLastError();
    if (failure == ERROR_HANDLE_EOF) return 0;
    error = FromWin32Error(failure);
    return -1;
}

}  // namespace reuseblocks::detail::platform
