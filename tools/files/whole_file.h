// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H
#define REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

// A file's bytes as read. A std::string would be filled with zeros before the read fills it: for
// a file of tens of megabytes, a second pass over all of its memory.
class WholeFileText {
  public:
    std::string_view View() const noexcept { return {m_bytes.get(), m_size}; }
    operator std::string_view() const noexcept { return View(); }

  private:
    friend std::optional<WholeFileText> ReadWholeFile(const std::string& path);
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size = 0;
};

// Everything the file at `path` holds, read in large pieces; nothing when it cannot be opened or
// a read fails.
std::optional<WholeFileText> ReadWholeFile(const std::string& path);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H
