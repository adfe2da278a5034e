// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TERMINAL_TOOL_ERROR_H
#define REUSEBLOCKS_TOOLS_TERMINAL_TOOL_ERROR_H

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

// Exit statuses of the tool; scripts depend on them.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a rejected file, a --strict warning, a failed write
inline constexpr int kExitUsage = 2;    // the command line asks for something impossible

// Problems of one input reported at most, as a compiler stops after so many errors: an input of
// nothing but faults would otherwise fill the memory with messages.
inline constexpr std::size_t kMostProblems = 1000;

// Ends the command: main prints what() on stderr, escaped line by line, and exits with Status().
class ToolError : public std::runtime_error {
  public:
    ToolError(int status, const std::string& diagnostic)
        : std::runtime_error(diagnostic), m_status(status) {}
    int Status() const noexcept { return m_status; }

  private:
    int m_status;
};

// "reuseblocks: error: MESSAGE", the form of every error line the tool prints.
std::string ErrorLine(std::string_view message);

// "reuseblocks: warning: MESSAGE" and "reuseblocks: note: MESSAGE", for what the user should
// know although the command goes on.
std::string WarningLine(std::string_view message);
std::string NoteLine(std::string_view message);

// A command that failed (status 1): ToolError(kExitFailure, ErrorLine(message)).
ToolError Failure(std::string_view message);

// A mistake on the command line that the parser cannot see, such as an unknown block ID.
ToolError UsageError(std::string_view message);

// "FILE:LINE: SEVERITY: MESSAGE", or "FILE: SEVERITY: MESSAGE" when there is no line, the form
// editors and CI logs pick up; the name and the message are escaped for display.
std::string Diagnostic(std::string_view name, unsigned long line, std::string_view severity,
                       std::string_view message);

// Prints every line of `text` on stderr, each escaped for display: the only way the tool writes
// to stderr, so that nothing a file or an argument holds can reach the terminal raw.
void PrintDiagnostic(std::string_view text);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TERMINAL_TOOL_ERROR_H
