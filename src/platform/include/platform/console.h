// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_CONSOLE_H
#define REUSEBLOCKS_PLATFORM_CONSOLE_H

#include <string>

namespace reuseblocks::detail::platform {

// Puts standard input and output into binary mode where the platform has a text mode, so that
// copying a blocks file through them changes no byte (a 0x1A byte would end text-mode input).
void UseBinaryStandardStreams();

// True when standard output is a terminal, where a person reads what the tool prints.
bool StandardOutputIsTerminal();

// True when standard error is a terminal, where a person waits for the tool.
bool StandardErrorIsTerminal();

// True when `path` names a terminal, which a person types into.
bool IsTerminalDevice(const std::string& path);

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_CONSOLE_H
