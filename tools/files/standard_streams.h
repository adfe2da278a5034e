// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FILES_STANDARD_STREAMS_H
#define REUSEBLOCKS_TOOLS_FILES_STANDARD_STREAMS_H

#include <string>

namespace reuseblocks::tool {

// "-" as a file argument means standard input, and as an output standard output. Standard input
// is copied once into a file of a private temporary directory, which works alike for pipes,
// terminals and redirected files, on every platform, and lets a command read its input twice.
// Output is made whole in memory and sent out only once it is complete: a failed write prints
// nothing. No file named "-" is ever created.
bool IsStandardStream(const std::string& argument);

// The path to hand to the library for `argument`: the argument itself, or for "-", a pipe or a
// terminal a copy of what it gives (read on first use; later uses see the same bytes). Another
// device ends the command.
std::string ReadablePath(const std::string& argument);

// How `argument` is named in messages: "<stdin>" for "-".
std::string DisplayName(const std::string& argument);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FILES_STANDARD_STREAMS_H
