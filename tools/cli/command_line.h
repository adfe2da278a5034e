// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_CLI_COMMAND_LINE_H
#define REUSEBLOCKS_TOOLS_CLI_COMMAND_LINE_H

namespace reuseblocks::tool {

// Parses the command line, runs the command it names and returns the exit status. Usage errors
// are reported here (status 2); a failing command throws ToolError.
int RunCommandLine(int argc, char** argv);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_CLI_COMMAND_LINE_H
