// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_CLI_UNKNOWN_COMMAND_H
#define REUSEBLOCKS_TOOLS_CLI_UNKNOWN_COMMAND_H

#include <CLI/CLI.hpp>
#include <string>

namespace reuseblocks::tool {

// What is wrong with the command words of `argv`: 'unknown command "chek"; did you mean
// "check"?', or "no command given; ..."; empty when they name a command of `app`. CLI11 reports
// an unknown command as a stray argument or as a missing subcommand; people want to hear which
// command they mistyped.
std::string FindUnknownCommand(const CLI::App& app, int argc, char** argv);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_CLI_UNKNOWN_COMMAND_H
