// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_WHOLE_FILE_H
#define REUSEBLOCKS_PLATFORM_WHOLE_FILE_H

#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/file_system.h"
#include "platform/huge_page_memory.h"

namespace reuseblocks::detail::platform {

// A file's bytes as read, in one buffer. A std::string would be filled with zeros before the
// read fills it: for a file of tens of megabytes, a second pass over all of its memory. A large
// file's buffer is on huge pages: its memory faults in 2 MiB at a time instead of 4 KiB, which
// costs less than the copy itself, and much less where faults are dear (virtual machines).
class WholeFileText {
  public:
    WholeFileText() noexcept = default;
    WholeFileText(WholeFileText&& other) noexcept
        : m_small(std::move(other.m_small)),
          m_large(std::move(other.m_large)),
          m_bytes(std::exchange(other.m_bytes, nullptr)),
          m_size(std::exchange(other.m_size, 0)) {}
    WholeFileText& operator=(WholeFileText&& other) noexcept {
        WholeFileText taken(std::move(other));
        std::swap(m_small, taken.m_small);
        std::swap(m_large, taken.m_large);
        std::swap(m_bytes, taken.m_bytes);
        std::swap(m_size, taken.m_size);
        return *this;
    }

    std::string_view View() const noexcept { return {m_bytes, m_size}; }
    operator std::string_view() const noexcept { return View(); }

    // Everything `file`, just opened, holds. A regular file of a few megabytes or more is read in
    // two halves side by side; a pipe, or a file growing meanwhile, as its bytes come. 0, or the
    // error of the read that failed, with what was read before it. Throws std::bad_alloc.
    ErrorCode ReadAll(FileReader& file);

  private:
    // Room for `capacity` bytes, the first `kept` of the present buffer copied into it.
    void Reserve(std::size_t capacity, std::size_t kept);

    std::unique_ptr<char[]> m_small;
    HugePageMemory m_large;
    char* m_bytes = nullptr;
    std::size_t m_size = 0;
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_WHOLE_FILE_H
