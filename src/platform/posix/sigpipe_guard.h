// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_SIGPIPE_GUARD_H
#define REUSEBLOCKS_PLATFORM_POSIX_SIGPIPE_GUARD_H

#include <cstddef>

namespace reuseblocks::detail::platform {

using RawWrite = bool (*)(int fd, const char* data, std::size_t size) noexcept;

// Calls `write` with SIGPIPE kept from the host, for a pipe whose reader may be gone: the signal
// is blocked in this thread only, and the one the writes raised is consumed, so that the write
// fails with EPIPE instead. The process's handlers are never touched.
bool WriteKeepingSigpipe(RawWrite write, int fd, const char* data, std::size_t size) noexcept;

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_POSIX_SIGPIPE_GUARD_H
