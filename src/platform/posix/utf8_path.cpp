// SPDX-License-Identifier: MIT
#include "platform/utf8_path.h"

namespace reuseblocks::detail::platform {

// File names are bytes here; UTF-8 ones are simply those bytes.
std::string PathFromUtf8(const char* path) {
    return path ? std::string(path) : std::string();
}

}  // namespace reuseblocks::detail::platform
