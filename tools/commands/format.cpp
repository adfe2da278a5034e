// SPDX-License-Identifier: MIT
// `format`: a file loaded and written again with a fresh header.
#include "commands/commands.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

int RunFormat(const FormatOptions& options) {
    EditSession edit(options.file, options.write);
    edit.StartAfresh();
    return edit.Write();
}

}  // namespace reuseblocks::tool
