// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_SIGPIPE_GUARD_H
#define REUSEBLOCKS_PLATFORM_POSIX_SIGPIPE_GUARD_H

#include <signal.h>

namespace reuseblocks::detail::platform {

// Keeps SIGPIPE from the host while the calling thread writes to a pipe whose reader may be gone:
// blocks it in this thread only, and consumes the one the writes raised, so that the write fails
// with EPIPE instead. The process's handlers are never touched.
class SigpipeGuard {
  public:
    SigpipeGuard() noexcept;
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;
    ~SigpipeGuard();

  private:
    sigset_t m_previous{};
    bool m_blocked = false;
    bool m_wasPending = false;  // someone else's: left for them
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_POSIX_SIGPIPE_GUARD_H
