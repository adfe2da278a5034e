// SPDX-License-Identifier: MIT
// `merge` and `format`: whole files loaded and written again.
#include "blocks_io.h"
#include "commands.h"
#include "tool_error.h"

namespace reuseblocks::tool {

namespace {

// `to` takes the values and rows of `from` and keeps its place in the walk order.
void CopyBlock(const CReuseBlock& from, CReuseBlock& to) {
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        to.GetProperty(index) = from.GetProperty(index);
    }
    while (to.GetLayerMapCount() > 0) to.RemoveLayerMap(to.GetLayerMapCount() - 1);
    for (std::uint32_t row = 0; row < from.GetLayerMapCount(); ++row) {
        const std::uint32_t added = to.NewLayerMap();
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            to.GetLayerMap(added, column) = from.GetLayerMap(row, column);
        }
    }
}

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
    CReuseBlockFile blocks;
    for (const std::string& input : options.inputs) {
        if (options.replace) {
            MergeReplacing(blocks, input);
        } else {
            LoadOrFail(blocks, input);
        }
    }
    WriteOrFail(blocks, options.write.output, options.write.app, options.write.force);
    return kExitSuccess;
}

int RunFormat(const FormatOptions& options) {
    const FileLock lock = LockForEdit(options.file, options.write);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    WriteOrFail(blocks, options.write.DestinationFor(options.file), options.write.app,
                options.write.force);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
