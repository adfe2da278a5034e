// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <unistd.h>

#include "platform/console.h"

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

// POSIX streams have no text mode.
void UseBinaryStandardStreams() {}

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool IsTerminalDevice(const std::string& path) {
    // Without blocking on a device that waits, nor making it the controlling terminal.
    const int descriptor = sys::Open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return false;
    const bool terminal = ::isatty(descriptor) == 1;
    sys::Close(descriptor);
    return terminal;
}

}  // namespace reuseblocks::detail::platform
