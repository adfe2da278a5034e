// SPDX-License-Identifier: MIT
#include "colors.h"

#include <cstdlib>

#include "platform/console.h"

namespace reuseblocks::tool {

DiffColors ColorsFor(std::string_view when) {
    const char* noColor = std::getenv("NO_COLOR");
    const bool wanted = when == "always" || (when == "auto" && (!noColor || !*noColor) &&
                                             detail::platform::StandardOutputIsTerminal());
    if (!wanted) return {};
    return {"\x1b[1m", "\x1b[32m", "\x1b[31m", "\x1b[36m", "\x1b[m"};
}

}  // namespace reuseblocks::tool
