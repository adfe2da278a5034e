// SPDX-License-Identifier: MIT
#include "platform/posix/sigpipe_guard.h"

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <ctime>

namespace reuseblocks::detail::platform {

namespace {

sigset_t PipeSignal() noexcept {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool PipeSignalPending() noexcept {
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

class SigpipeGuard {
  public:
    SigpipeGuard() noexcept;
    ~SigpipeGuard();

  private:
    sigset_t m_previous{};
    bool m_blocked = false;
    bool m_wasPending = false;  // someone else's: left for them
};

SigpipeGuard::SigpipeGuard() noexcept {
    m_wasPending = PipeSignalPending();
    const sigset_t pipe = PipeSignal();
    m_blocked = ::pthread_sigmask(SIG_BLOCK, &pipe, &m_previous) == 0;
}

SigpipeGuard::~SigpipeGuard() {
    if (!m_blocked) return;
    if (!m_wasPending && PipeSignalPending()) {
        const sigset_t pipe = PipeSignal();
#if defined(__APPLE__)
        int taken = 0;
        static_cast<void>(::sigwait(&pipe, &taken));  // pending, so it returns at once
#else
        const timespec immediately{0, 0};
        static_cast<void>(::sigtimedwait(&pipe, nullptr, &immediately));
#endif
    }
    ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

}  // namespace

bool WriteKeepingSigpipe(RawWrite write, int fd, const char* data, std::size_t size) noexcept {
    bool written = false;
    int error = 0;
    {
        const SigpipeGuard guard;
        written = write(fd, data, size);
        error = errno;
    }
    errno = error;  // the write's, whatever the guard's clean-up did
    return written;
}

}  // namespace reuseblocks::detail::platform
