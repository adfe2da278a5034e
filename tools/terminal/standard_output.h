// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TERMINAL_STANDARD_OUTPUT_H
#define REUSEBLOCKS_TOOLS_TERMINAL_STANDARD_OUTPUT_H

#include <streambuf>
#include <string>

namespace reuseblocks::tool {

// While it lives, std::cout goes through a buffer that remembers why a write failed (a full disk,
// a closed pipe), so that the tool never reports success for output that was lost. One, in main.
class StandardOutputCheck {
  public:
    StandardOutputCheck();
    ~StandardOutputCheck();
    StandardOutputCheck(const StandardOutputCheck&) = delete;
    StandardOutputCheck& operator=(const StandardOutputCheck&) = delete;

  private:
    std::streambuf* m_original;
};

// Throws ToolError (status 1) when an earlier write to std::cout failed. Long outputs call it as
// they go, to stop early.
void ThrowIfStandardOutputFailed();

// Writes `text` on std::cout and clears it; throws ToolError as ThrowIfStandardOutputFailed does.
// What a long output sends on as it goes.
void SendToStandardOutput(std::string& text);

// Flushes std::cout and throws ToolError when that or any earlier write failed.
void FinishStandardOutput();

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TERMINAL_STANDARD_OUTPUT_H
