// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/console.h"

namespace reuseblocks::detail::platform {

void UseBinaryStandardStreams() {
    static_cast<void>(_setmode(_fileno(stdin), _O_BINARY));
    static_cast<void>(_setmode(_fileno(stdout), _O_BINARY));
}

bool StandardOutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

bool IsTerminalDevice(const std::string& path) {
    const HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    const bool console = ::GetConsoleMode(file, &mode) != 0;
    ::CloseHandle(file);
    return console;
}

}  // namespace reuseblocks::detail::platform
