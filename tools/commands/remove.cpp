// SPDX-License-Identifier: MIT
// `remove`: blocks by ID, all of them known or none removed.
#include "commands/commands.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

int RunRemove(const RemoveOptions& options) {
    EditSession edit(options.file, options.write);
    for (const std::string& id : options.ids) edit.Block(id);
    for (const std::string& id : options.ids) edit.Blocks().RemoveBlock(id.c_str());
    return edit.Write();
}

}  // namespace reuseblocks::tool
