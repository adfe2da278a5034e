// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_WHOLE_FILE_H
#define REUSEBLOCKS_PLATFORM_WHOLE_FILE_H

#include <cstddef>
#include <string_view>

#include "platform/file_system.h"
#include "platform/huge_page_allocator.h"

namespace reuseblocks::detail::platform {

// A file's bytes as read, in one buffer. A std::string would be filled with zeros before the
// read fills it: for a file of tens of megabytes, a second pass over all of its memory. A large
// file's buffer is on huge pages: its memory faults in 2 MiB at a time instead of 4 KiB, which
// costs less than the copy itself, and much less where faults are dear (virtual machines).
class WholeFileText {
  public:
    std::string_view View() const noexcept { return {m_bytes.data(), m_bytes.size()}; }
    operator std::string_view() const noexcept { return View(); }

    // Everything `file`, just opened, holds. A regular file of a few megabytes or more is read in
    // two halves side by side; a pipe, or a file growing meanwhile, as its bytes come. 0, or the
    // error of the read that failed, with what was read before it. Throws std::bad_alloc.
    ErrorCode ReadAll(FileReader& file);

  private:
    UnfilledHugePageVector<char> m_bytes;
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_WHOLE_FILE_H
