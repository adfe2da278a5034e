// SPDX-License-Identifier: MIT
#include "platform/file_lock.h"

#include <utility>

#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

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

void FileLock::ThrowBusy(const std::string& path) {
    throw Failure(Quoted(path) + " is being edited by another process (--no-wait)");
}

}  // namespace reuseblocks::tool
