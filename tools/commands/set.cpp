// SPDX-License-Identifier: MIT
// `set`: change properties of one block, or with --from of many, in one load and one write.
#include "commands/commands.h"
#include "edit/changes.h"
#include "edit/sync_int.h"
#include "files/standard_streams.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

int RunSet(const SetOptions& options) {
    if (!options.updates.empty()) return RunSetFrom(options);
    if (!options.format.empty()) throw UsageError("--format describes the file of --from");
    if (options.syncInt && options.assignments.empty()) return RunSyncInt(options);
    if (options.id.empty() || options.assignments.empty()) {
        throw UsageError("set needs ID FIELD=VALUE... or --from UPDATES");
    }
    const std::vector<Assignment> assignments =
        ParseAssignments(options.assignments, AssignmentUse::kSet);
    EditSession edit(options.file, options.write);
    CReuseBlock& block = edit.Block(options.id);
    Apply(block, assignments);
    if (options.syncInt) SyncInternalLocationOrFail(block);
    return edit.Write();
}

// One block, or every block when no ID is given.
int RunSyncInt(const SetOptions& options) {
    EditSession edit(options.file, options.write);
    if (options.id.empty()) {
        SyncEveryInternalLocation(edit);
    } else {
        SyncInternalLocationOrFail(edit.Block(options.id));
    }
    return edit.Write();
}

// Every row is checked before anything is written, and one bad row rejects all.
int RunSetFrom(const SetOptions& options) {
    if (IsStandardStream(options.file) && IsStandardStream(options.updates)) {
        throw UsageError("FILE and --from cannot both be standard input");
    }
    if (!options.id.empty() || !options.assignments.empty()) {
        throw UsageError("set takes either ID FIELD=VALUE... or --from UPDATES, not both");
    }
    EditSession edit(options.file, options.write);
    std::vector<InputProblem> problems;
    const auto update = [&](const BlockRecord& record) {
        CReuseBlock* block = nullptr;
        if (!record.id) {
            problems.push_back({record.line, "the row names no block (no BLOCK_HIER_NAME or ID)"});
        } else if (edit.Blocks().GetBlock(record.id->c_str(), block) == 0) {
            problems.push_back({record.line, EscapeForDisplay(DisplayName(options.file)) +
                                                 " has no block " + Quoted(*record.id)});
        } else {
            Apply(*block, record);
            if (options.syncInt && !SyncInternalLocation(*block)) {
                problems.push_back({record.line, "--sync-int: XLOC, YLOC or UNITS of block " +
                                                     Quoted(*record.id) +
                                                     " give no location in database units"});
            }
        }
    };
    ApplyRecordsOrFail(options.updates, options.format, update, problems);
    return edit.Write();
}

}  // namespace reuseblocks::tool
