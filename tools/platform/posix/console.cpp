// SPDX-License-Identifier: MIT
#include <unistd.h>

#include "platform/console.h"

namespace reuseblocks::tool {

// POSIX streams have no text mode.
void UseBinaryStandardStreams() {}

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace reuseblocks::tool
