// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_CLI_HELP_COMMAND_H
#define REUSEBLOCKS_TOOLS_CLI_HELP_COMMAND_H

#include <CLI/CLI.hpp>
#include <vector>

namespace reuseblocks::tool {

// `help [COMMAND...]`, listed among the commands; it is never parsed itself.
void AddHelpCommand(CLI::App& app);

// The words of the command line, with "help COMMAND..." read as "COMMAND... --help".
std::vector<char*> WithHelpAsOption(int argc, char** argv);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_CLI_HELP_COMMAND_H
