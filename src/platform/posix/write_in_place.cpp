// SPDX-License-Identifier: MIT
// Writing to the target itself: a device, a pipe, a stream a process holds, or a regular file that
// cannot be replaced.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/output_target_state.h"
#include "platform/posix/sigpipe_guard.h"

namespace reuseblocks::detail::platform {

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) noexcept {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written >= 0) {
            data += written;
            size -= static_cast<std::size_t>(written);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A stream someone else made non-blocking: wait until it takes more.
            pollfd ready{fd, POLLOUT, 0};
            if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ClearNonBlocking(int fd) noexcept {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags != -1 && (!(flags & O_NONBLOCK) || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0);
}

bool FlushToDisk(int fd) noexcept {
#if defined(__APPLE__)
    // fsync leaves the data in the drive's cache on Apple systems.
    if (::fcntl(fd, F_FULLFSYNC) == 0) return true;
#endif
    return ::fsync(fd) == 0;
}

void OutputTarget::State::InPlace(UniqueFd target, bool regular) {
    fd = std::move(target);
    mode = regular ? Mode::kInPlace : Mode::kStream;
    pipe = !regular;
    directory.Reset();
}

WriteStep OutputTarget::State::WriteText(const char* data, std::size_t size) noexcept {
    // The old content goes only when the new is on its way, all of it at hand (NeedsWholeText).
    if (mode == Mode::kInPlace && !emptied) {
        if (::ftruncate(fd.Get(), 0) != 0) return WriteStep::kInPlace;
        emptied = true;
    }
    const bool written = pipe ? WriteKeepingSigpipe(&WriteAll, fd.Get(), data, size)
                              : WriteAll(fd.Get(), data, size);
    return written ? WriteStep::kNone : WriteStep::kWrite;
}

}  // namespace reuseblocks::detail::platform
