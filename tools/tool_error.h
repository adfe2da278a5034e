// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TOOL_ERROR_H
#define REUSEBLOCKS_TOOLS_TOOL_ERROR_H

#include <stdexcept>
#include <string>

#include "text_escape.h"

namespace reuseblocks::tool {

// Exit statuses of the tool; scripts depend on them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a rejected file, a --strict warning, a failed write
inline constexpr int kExitUsage = 2;    // the command line asks for something impossible

// Ends the command: main prints what() as one line on stderr and exits with Status().
class ToolError : public std::runtime_error {
  public:
    ToolError(int status, const std::string& diagnostic)
        : std::runtime_error(diagnostic), m_status(status) {}
    int Status() const noexcept { return m_status; }

  private:
    int m_status;
};

// A mistake on the command line that the parser cannot see, such as an unknown block ID.
inline ToolError UsageError(const std::string& message) {
    return ToolError(kExitUsage, "reuseblocks: error: " + message);
}

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TOOL_ERROR_H
