// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H
#define REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H

#include <optional>
#include <string>

#include "platform/whole_file.h"

namespace reuseblocks::tool {

using detail::platform::WholeFileText;

// Everything the file at `path` holds, read as the library reads a file it edits; nothing when
// it cannot be opened or a read fails.
std::optional<WholeFileText> ReadWholeFile(const std::string& path);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H
