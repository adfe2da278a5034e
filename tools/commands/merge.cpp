// SPDX-License-Identifier: MIT
// `merge`: the blocks of several files in one.
#include "commands/commands.h"
#include "edit/changes.h"
#include "edit/loading.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

void MergeReplacing(CReuseBlockFile& blocks, const std::string& input) {
    CReuseBlockFile later;  // a repeated ID within one input is still an error
    LoadOrFail(later, input);
    for (const CReuseBlock* block : BlocksInOrder(later)) {
        CReuseBlock* target = nullptr;
        if (blocks.GetBlock(block->GetBlockID().GetString(), target) == 0) {
            target = blocks.NewBlock(block->GetBlockID().GetString());
        }
        CopyBlock(*block, *target);
    }
}

}  // namespace

int RunMerge(const MergeOptions& options) {
    // One collection, so a block ID found in two inputs is rejected as it would be in one file.
    EditSession merged(options.write);
    for (const std::string& input : options.inputs) {
        if (options.replace) {
            MergeReplacing(merged.Blocks(), input);
        } else {
            LoadOrFail(merged.Blocks(), input);
        }
        merged.NoteCommentsOf(input);
    }
    return merged.Write();
}

}  // namespace reuseblocks::tool
