// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FILES_WRITE_FAILURE_H
#define REUSEBLOCKS_TOOLS_FILES_WRITE_FAILURE_H

#include <string>

#include "terminal/tool_error.h"

namespace reuseblocks::tool {

// Why writing `path` failed, in the system's words: "Is a directory", "Permission denied", "No
// space left on device", ...; empty when nothing can be told. WriteFile answers only 0 or 1, so
// this looks at the path itself, and takes `error` (errno right after the write) only when it names
// a cause the path could have had.
std::string WhyWriteFailed(const std::string& path, int error);

// 'reuseblocks: error: cannot write "PATH": WHY' (status 1), WHY as WhyWriteFailed tells it.
ToolError CannotWrite(const std::string& path, int error);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FILES_WRITE_FAILURE_H
