// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

std::string ErrorText(ErrorCode error) {
    return std::strerror(error);
}

FileReader::~FileReader() {
    if (m_handle >= 0) sys::Close(static_cast<int>(m_handle));
}

ErrorCode FileReader::Open(const char* path) noexcept {
    if (!path) return ENOENT;
    // As cat does: a FIFO waits here for its writer, and a signal the host handles (EINTR) ends
    // the wait.
    const int fd = sys::Open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno;
    if (m_handle >= 0) sys::Close(static_cast<int>(m_handle));
    m_handle = fd;
    return 0;
}

std::ptrdiff_t FileReader::Read(char* buffer, std::size_t size, ErrorCode& error) noexcept {
    for (;;) {
        const ssize_t got = sys::Read(static_cast<int>(m_handle), buffer, size);
        if (got >= 0) return got;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

bool FileReader::RegularFileSize(std::uint64_t& size) const noexcept {
    struct stat info {};
    if (m_handle < 0 || sys::Fstat(static_cast<int>(m_handle), &info) != 0 ||
        !S_ISREG(info.st_mode)) {
        return false;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

std::ptrdiff_t FileReader::ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                                  ErrorCode& error) const noexcept {
    for (;;) {
        const ssize_t got =
            sys::Pread(static_cast<int>(m_handle), buffer, size, static_cast<off_t>(offset));
        if (got >= 0) return got;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

}  // namespace reuseblocks::detail::platform
