// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_UNIQUE_FD_H
#define REUSEBLOCKS_PLATFORM_POSIX_UNIQUE_FD_H

#include <unistd.h>

#include <utility>

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

// Owns a file descriptor and closes it on every path out of the scope that holds it.
class UniqueFd {
  public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const noexcept { return m_fd; }
    bool IsOpen() const noexcept { return m_fd >= 0; }

    // Closes the descriptor and reports whether the close succeeded; it is closed either way.
    bool Close() noexcept {
        if (m_fd < 0) return true;
        const int fd = std::exchange(m_fd, -1);
        return sys::Close(fd) == 0;
    }
    void Reset() noexcept { static_cast<void>(Close()); }

  private:
    int m_fd = -1;
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_POSIX_UNIQUE_FD_H
