// SPDX-License-Identifier: MIT
// `add`: a new block, every value it needs given or supplied by Init.
#include "commands/commands.h"
#include "edit/changes.h"
#include "files/standard_streams.h"
#include "records/value_checks.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

int RunAdd(const SetOptions& options) {
    RequireWritable("block ID", options.id, ValuePlace::kBlockID);
    const std::vector<Assignment> assignments =
        ParseAssignments(options.assignments, AssignmentUse::kAdd);
    EditSession edit(options.file, options.write);
    CReuseBlock* existing = nullptr;
    if (edit.Blocks().GetBlock(options.id.c_str(), existing) != 0) {
        throw UsageError(EscapeForDisplay(DisplayName(options.file)) + " already has a block " +
                         Quoted(options.id));
    }
    std::array<bool, CReuseBlock::kPropertyCount> given{};
    for (const Assignment& assignment : assignments) given[assignment.first] = true;
    const std::string missing = MissingProperties(given);
    if (!missing.empty()) {
        throw UsageError("block " + Quoted(options.id) + " needs a value for " + missing +
                         " (an empty value cannot be stored in a blocks file)");
    }
    CReuseBlock* block = edit.Blocks().NewBlock(options.id.c_str());
    block->Init();
    Apply(*block, assignments);
    return edit.Write();
}

}  // namespace reuseblocks::tool
