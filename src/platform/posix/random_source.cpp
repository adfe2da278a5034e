// SPDX-License-Identifier: MIT
#include "platform/random_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "posix/system_calls.h"

#if __has_include(<sys/random.h>)
#include <sys/random.h>
#endif

namespace reuseblocks::detail::platform {

namespace {

bool ReadFromGetrandom(unsigned char* bytes, std::size_t count) noexcept {
#if defined(GRND_NONBLOCK)
    // Non-blocking: early in boot, before the pool is ready, getrandom would wait.
    std::size_t got = 0;
    while (got < count) {
        const ssize_t read = sys::Getrandom(bytes + got, count - got, GRND_NONBLOCK);
        if (read > 0) {
            got += static_cast<std::size_t>(read);
        } else if (read == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
#else
    static_cast<void>(bytes);
    static_cast<void>(count);
    return false;
#endif
}

bool ReadFromDevice(unsigned char* bytes, std::size_t count) noexcept {
    const int fd = sys::Open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::size_t got = 0;
    while (got < count) {
        const ssize_t read = sys::Read(fd, bytes + got, count - got);
        if (read > 0) {
            got += static_cast<std::size_t>(read);
        } else if (read == 0 || errno != EINTR) {
            break;
        }
    }
    sys::Close(fd);
    return got == count;
}

}  // namespace

bool ReadRandomBytes(unsigned char* bytes, std::size_t count) noexcept {
    const int savedErrno = errno;  // the host's errno is none of our business
    const bool read = ReadFromGetrandom(bytes, count) || ReadFromDevice(bytes, count);
    errno = savedErrno;
    return read;
}

}  // namespace reuseblocks::detail::platform
