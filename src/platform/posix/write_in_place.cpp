// SPDX-License-Identifier: MIT
// Writing to the target itself: a device, a pipe, a stream a process holds, or a regular file that
// cannot be replaced.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "posix/file_identity.h"
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

// Reads the first `size` bytes of the file `fd` holds into `text`, through `path`, which must
// still lead to it. False when they cannot be read (a file the process may write but not read).
bool ReadOldText(const std::string& path, int fd, char* text, std::size_t size) noexcept {
    struct stat open {};
    struct stat named {};
    UniqueFd reader(sys::Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!reader.IsOpen() || sys::Fstat(fd, &open) != 0 || sys::Fstat(reader.Get(), &named) != 0 ||
        !SameFile(open, named)) {
        return false;
    }
    for (std::size_t got = 0; got < size;) {
        const ssize_t read =
            sys::Pread(reader.Get(), text + got, size - got, static_cast<off_t>(got));
        if (read > 0) {
            got += static_cast<std::size_t>(read);
        } else if (read == 0 || errno != EINTR) {
            return false;  // shorter than it said, or unreadable
        }
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

void OutputTarget::State::InPlace(UniqueFd target, bool regular, off_t size) {
    if (regular && size > 0 &&
        static_cast<std::uint64_t>(size) <= std::numeric_limits<std::size_t>::max()) {
        oldTextCapacity = static_cast<std::size_t>(size);
        oldText.reset(new char[oldTextCapacity]);  // not zeroed: only what is read is written back
    }
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
    if (error == 0) {
        // Kept to put back should the new text fail part-way: its writes or the cut at the end.
        oldSize = info.st_size;
        oldTextSize = std::min(oldTextCapacity,
                               static_cast<std::size_t>(std::min<off_t>(info.st_size, length)));
        oldTextKept = oldText && ReadOldText(openedPath, fd.Get(), oldText.get(), oldTextSize);
        return true;
    }
    // What the failed attempt added after the old end goes again; the old text was not touched.
    struct stat now {};
    if (sys::Fstat(fd.Get(), &now) == 0 && now.st_size != info.st_size) {
        static_cast<void>(sys::Ftruncate(fd.Get(), info.st_size));
    }
    errno = error;
    return false;
}

bool OutputTarget::State::CutInPlace() noexcept {
    if (sys::Ftruncate(fd.Get(), static_cast<off_t>(written)) == 0) return true;
    RestoreInPlace();
    return false;
}

void OutputTarget::State::RestoreInPlace() noexcept {
    if (oldSize < 0) return;  // no room made: nothing of the new text went out
    const int error = errno;
    bool restored = true;
    if (oldTextKept) {
        for (std::size_t put = 0; restored && put < oldTextSize;) {
            const ssize_t wrote = sys::Pwrite(fd.Get(), oldText.get() + put, oldTextSize - put,
                                              static_cast<off_t>(put));
            if (wrote > 0) put += static_cast<std::size_t>(wrote);
            restored = wrote > 0 || (wrote < 0 && errno == EINTR);
        }
    }
    // Room made beyond the old end goes again.
    struct stat now {};
    if (restored && sys::Fstat(fd.Get(), &now) == 0 && now.st_size != oldSize) {
        static_cast<void>(sys::Ftruncate(fd.Get(), oldSize));
    }
    errno = error;
}

WriteStep OutputTarget::State::WriteText(const char* data, std::size_t size) noexcept {
    if (mode == Mode::kInPlace) {
        // The old text stays until the new goes over it, room for all of it made first.
        if (!reserved && !ReserveInPlace(size)) return WriteStep::kInPlace;
        reserved = true;
        if (!WriteAll(fd.Get(), data, size)) {
            RestoreInPlace();
            return WriteStep::kWrite;
        }
        written += size;
        return WriteStep::kNone;
    }
    const bool sent = pipe ? WriteKeepingSigpipe(&WriteAll, fd.Get(), data, size)
                           : WriteAll(fd.Get(), data, size);
    return sent ? WriteStep::kNone : WriteStep::kWrite;
}

}  // namespace reuseblocks::detail::platform
