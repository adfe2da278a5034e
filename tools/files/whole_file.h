// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H
#define REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H

#include <optional>
#include <string>

namespace reuseblocks::tool {

// Everything the file at `path` holds, read in large pieces; nothing when it cannot be opened or
// a read fails.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FILES_WHOLE_FILE_H
