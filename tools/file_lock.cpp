// SPDX-License-Identifier: MIT
#include "file_lock.h"

#include <utility>

namespace reuseblocks::tool {

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

}  // namespace reuseblocks::tool
