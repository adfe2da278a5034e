// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FILES_CANNOT_WRITE_H
#define REUSEBLOCKS_TOOLS_FILES_CANNOT_WRITE_H

#include <reuseblocks/diagnostics.h>

#include <string>

#include "terminal/tool_error.h"

namespace reuseblocks::detail::platform {
struct OutputFailure;
}

namespace reuseblocks::tool {

// A write that failed (status 1): 'reuseblocks: error: cannot write "PATH": WHY', where WHY
// comes from the step that failed and the system's error, as the library tells them. Reason()
// is WHY alone, for a file the user never named (a scratch copy).
class WriteError : public ToolError {
  public:
    WriteError(const std::string& message, std::string reason)
        : ToolError(kExitFailure, ErrorLine(message)), m_reason(std::move(reason)) {}
    const std::string& Reason() const noexcept { return m_reason; }

  private:
    std::string m_reason;
};

// A blocks file the library did not write, in its words.
WriteError CannotWrite(const std::string& path, const WriteReport& report);

// A file the tool writes itself through the library's platform layer.
WriteError CannotWrite(const std::string& path, const detail::platform::OutputFailure& failure);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FILES_CANNOT_WRITE_H
