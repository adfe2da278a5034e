// SPDX-License-Identifier: MIT
// `merge`: the blocks of several files in one.
#include "commands/commands.h"
#include "edit/changes.h"
#include "edit/loading.h"
#include "files/standard_streams.h"
#include "platform/file_identity.h"
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

// The input that is the file -o names, by the file and not its name, whose text the merged file
// keeps; empty when -o is a new file.
std::string InputReplaced(const MergeOptions& options) {
    const std::string& output = options.write.output;
    if (IsStandardStream(output)) return std::string();
    for (const std::string& input : options.inputs) {
        if (!IsStandardStream(input) && detail::platform::NameOneFile(input, output)) return input;
    }
    return std::string();
}

}  // namespace

int RunMerge(const MergeOptions& options) {
    // One collection, so a block ID found in two inputs is rejected as it would be in one file.
    // The file -o replaces is locked first: which input it is, and what it holds, are decided
    // under the lock.
    EditSession merged(options.write);
    const std::string replaced = InputReplaced(options);
    if (!replaced.empty()) merged.KeepTextOf(replaced);
    for (const std::string& input : options.inputs) {
        if (options.replace) {
            MergeReplacing(merged.Blocks(), input);
        } else {
            LoadOrFail(merged.Blocks(), input);
        }
        if (input != replaced) merged.NoteCommentsOf(input);
    }
    return merged.Write();
}

}  // namespace reuseblocks::tool
