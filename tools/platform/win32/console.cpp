// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/console.h"

namespace reuseblocks::tool {

void UseBinaryStandardStreams() {
    static_cast<void>(_setmode(_fileno(stdin), _O_BINARY));
    static_cast<void>(_setmode(_fileno(stdout), _O_BINARY));
}

bool StandardOutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

}  // namespace reuseblocks::tool
