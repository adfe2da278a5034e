// SPDX-License-Identifier: MIT
#include "platform/file_lock.h"

#include <utility>

namespace reuseblocks::detail::platform {

FileLock::FileLock(FileLock&& other) noexcept : m_handle(std::exchange(other.m_handle, kNone)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (Held()) Release(m_handle);
        m_handle = std::exchange(other.m_handle, kNone);
    }
    return *this;
}

FileLock::~FileLock() {
    if (Held()) Release(m_handle);
}

}  // namespace reuseblocks::detail::platform
