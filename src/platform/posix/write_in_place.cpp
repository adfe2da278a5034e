// SPDX-License-Identifier: MIT
// Writing to the target itself: a device, a pipe, a stream a process holds, or a regular file that
// cannot be replaced.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <utility>

#include "posix/output_target_state.h"
#include "posix/sigpipe_guard.h"

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) noexcept {
    while (size > 0) {
        const ssize_t written = sys::Write(fd, data, size);
        if (written >= 0) {
            data += written;
            size -= static_cast<std::size_t>(written);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A stream someone else made non-blocking: wait until it takes more.
            pollfd ready{fd, POLLOUT, 0};
            if (sys::Poll(&ready, 1, -1) < 0 && errno != EINTR) return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Grows the file from `from` to `to` bytes with zero bytes, which the file system must find room
// for as it takes them; the new text then goes over them.
bool GrowWithZeros(int fd, off_t from, off_t to) noexcept {
    static constexpr char kZeros[64 * 1024] = {};
    while (from < to) {
        const off_t left = to - from;
        const std::size_t chunk = left < static_cast<off_t>(sizeof kZeros)
                                      ? static_cast<std::size_t>(left)
                                      : sizeof kZeros;
        const ssize_t written = sys::Pwrite(fd, kZeros, chunk, from);
        if (written < 0 && errno != EINTR) return false;
        if (written == 0) {
            errno = EIO;  // takes nothing and says nothing: no way on
            return false;
        }
        if (written > 0) from += written;
    }
    return true;
}

// Whether `error` from a request to reserve room says only that the file system cannot do it.
bool CannotReserveHere(int error) noexcept {
    return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

}  // namespace

bool ClearNonBlocking(int fd) noexcept {
    const int flags = sys::Fcntl(fd, F_GETFL);
    return flags != -1 &&
           (!(flags & O_NONBLOCK) || sys::Fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0);
}

bool FlushToDisk(int fd) noexcept {
#if defined(__APPLE__)
    // fsync leaves the data in the drive's cache on Apple systems.
    if (sys::Fcntl(fd, F_FULLFSYNC) == 0) return true;
#endif
    return sys::Fsync(fd) == 0;
}

void OutputTarget::State::InPlace(UniqueFd target, bool regular) {
    fd = std::move(target);
    mode = regular ? Mode::kInPlace : Mode::kStream;
    pipe = !regular;
    directory.Reset();
}

bool OutputTarget::State::ReserveInPlace(std::uint64_t size) noexcept {
    struct stat info {};
    if (sys::Fstat(fd.Get(), &info) != 0) return false;
    if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        errno = EFBIG;
        return false;
    }
    const auto length = static_cast<off_t>(size);
    int error = 0;
    if (length > 0) {
#if defined(__linux__)
        // Not posix_fallocate: where the file system cannot reserve, the C library's stand-in
        // reads the file, which is open for writing only.
        error = sys::Fallocate(fd.Get(), 0, 0, length) == 0 ? 0 : errno;
#elif defined(__APPLE__)
        error = EOPNOTSUPP;
#else
        error = sys::PosixFallocate(fd.Get(), 0, length);
#endif
    }
    if (CannotReserveHere(error)) {
        error = length <= info.st_size || GrowWithZeros(fd.Get(), info.st_size, length) ? 0 : errno;
    }
    // A file size limit stops a write beyond it, even one over old text.
    rlimit limit{};
    if (error == 0 && sys::Getrlimit(RLIMIT_FSIZE, &limit) == 0 &&
        limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur) {
        error = EFBIG;
    }
    if (error == 0) return true;
    // What the failed attempt added after the old end goes again; the old text was not touched.
    struct stat now {};
    if (sys::Fstat(fd.Get(), &now) == 0 && now.st_size != info.st_size) {
        static_cast<void>(sys::Ftruncate(fd.Get(), info.st_size));
    }
    errno = error;
    return false;
}

bool OutputTarget::State::CutInPlace() noexcept {
    return sys::Ftruncate(fd.Get(), static_cast<off_t>(written)) == 0;
}

WriteStep OutputTarget::State::WriteText(const char* data, std::size_t size) noexcept {
    if (mode == Mode::kInPlace) {
        // The old text stays until the new goes over it, room for all of it made first.
        if (!reserved && !ReserveInPlace(size)) return WriteStep::kInPlace;
        reserved = true;
        if (!WriteAll(fd.Get(), data, size)) return WriteStep::kWrite;
        written += size;
        return WriteStep::kNone;
    }
    const bool sent = pipe ? WriteKeepingSigpipe(&WriteAll, fd.Get(), data, size)
                           : WriteAll(fd.Get(), data, size);
    return sent ? WriteStep::kNone : WriteStep::kWrite;
}

}  // namespace reuseblocks::detail::platform
