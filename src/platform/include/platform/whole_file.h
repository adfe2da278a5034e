// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_WHOLE_FILE_H
#define REUSEBLOCKS_PLATFORM_WHOLE_FILE_H

#include <cstddef>
#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace reuseblocks::detail::platform {

// A file's bytes as read, in one buffer. A std::string would be filled with zeros before the
// read fills it: for a file of tens of megabytes, a second pass over all of its memory.
class WholeFileText {
  public:
    std::string_view View() const noexcept { return {m_bytes.get(), m_size}; }
    operator std::string_view() const noexcept { return View(); }

    // Everything `file`, just opened, holds. A regular file of a few megabytes or more is read in
    // two halves side by side; a pipe, or a file growing meanwhile, as its bytes come. 0, or the
    // error of the read that failed, with what was read before it. Throws std::bad_alloc.
    ErrorCode ReadAll(FileReader& file);

  private:
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size = 0;
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_WHOLE_FILE_H
