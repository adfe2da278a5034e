// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TERMINAL_COLORS_H
#define REUSEBLOCKS_TOOLS_TERMINAL_COLORS_H

#include <string>
#include <string_view>

namespace reuseblocks::tool {

// The escape sequences a colored diff wraps its lines in; all empty when color is off, so that
// the text is the same bytes either way but for them.
struct DiffColors {
    std::string heading;  // --- and +++
    std::string added;
    std::string removed;
    std::string changed;  // the line naming a changed block
    std::string reset;
};

// The colors for --color=WHEN: "always", "never", or "auto", which colors only a terminal and
// never when NO_COLOR is set to anything but the empty text.
DiffColors ColorsFor(std::string_view when);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TERMINAL_COLORS_H
