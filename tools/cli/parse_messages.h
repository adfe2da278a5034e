// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_CLI_PARSE_MESSAGES_H
#define REUSEBLOCKS_TOOLS_CLI_PARSE_MESSAGES_H

#include <CLI/CLI.hpp>
#include <string>

namespace reuseblocks::tool {

// What the parser's `error` means for `argv`, in the tool's words: the command it concerns, the
// option, value or argument at fault, and a did-you-mean where one is near. The parser's own
// text never shows: it names neither the command nor what was meant.
std::string DescribeParseError(const CLI::App& app, int argc, char** argv,
                               const CLI::ParseError& error);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_CLI_PARSE_MESSAGES_H
