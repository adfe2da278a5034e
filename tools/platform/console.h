// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLATFORM_CONSOLE_H
#define REUSEBLOCKS_TOOLS_PLATFORM_CONSOLE_H

namespace reuseblocks::tool {

// Puts standard input and output into binary mode where the platform has a text mode, so that
// copying a blocks file through them changes no byte (a 0x1A byte would end text-mode input).
void UseBinaryStandardStreams();

// True when standard output is a terminal, where a person reads what the tool prints.
bool StandardOutputIsTerminal();

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLATFORM_CONSOLE_H
