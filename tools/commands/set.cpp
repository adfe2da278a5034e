// SPDX-License-Identifier: MIT
// `set`: change properties of one block, or with --from of many, in one load and one write.
#include "commands/commands.h"
#include "edit/arithmetic.h"
#include "edit/changes.h"
#include "edit/loading.h"
#include "edit/sync_int.h"
#include "files/standard_streams.h"
#include "inspect/block_query.h"
#include "records/fields.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

// What the command line asks of each block: values first, then the additions, in the order
// given.
struct Changes {
    std::vector<Assignment> assignments;
    std::vector<Adjustment> adjustments;
};

Changes ParseChanges(const std::vector<std::string>& texts) {
    Changes changes;
    std::vector<std::string> assignments;
    for (const std::string& text : texts) {
        if (std::optional<Adjustment> adjustment = ParseAdjustment(text)) {
            changes.adjustments.push_back(std::move(*adjustment));
        } else {
            assignments.push_back(text);
        }
    }
    changes.assignments = ParseAssignments(assignments, AssignmentUse::kSet);
    return changes;
}

// Adds to `problems` what cannot be done to `block`, which then may be half changed: a problem
// ends the command before anything is written.
void ApplyChanges(CReuseBlock& block, const Changes& changes, bool syncInt,
                  std::vector<std::string>& problems) {
    Apply(block, changes.assignments);
    for (const Adjustment& adjustment : changes.adjustments) {
        CString& value = block.GetProperty(adjustment.property);
        const std::optional<std::string> sum = AddDecimal(value.GetView(), adjustment.amount);
        if (!sum) {
            problems.push_back(std::string(PropertyName(adjustment.property)) + " of block " +
                               Quoted(block.GetBlockID().GetView()) + " is " +
                               Quoted(value.GetView()) + ", not a number to add to");
            continue;
        }
        value = sum->c_str();
    }
    if (syncInt && !SyncInternalLocation(block)) {
        problems.push_back("--sync-int: XLOC, YLOC or UNITS of block " +
                           Quoted(block.GetBlockID().GetView()) +
                           " give no location in database units");
    }
}

void FailOnProblems(const std::vector<std::string>& problems) {
    if (problems.empty()) return;
    for (const std::string& problem : problems) PrintDiagnostic(ErrorLine(problem));
    throw Failure(Counted(problems.size(), "problem", "problems") + "; nothing written");
}

// set --where: every block that meets the conditions; the ID argument, when one is given, is
// the first change.
int RunSetWhere(const SetOptions& options) {
    std::vector<std::string> texts = options.assignments;
    if (!options.id.empty()) texts.insert(texts.begin(), options.id);
    if (texts.empty() && !options.syncInt) {
        throw UsageError("set --where needs FIELD=VALUE, FIELD+=N or FIELD-=N, or --sync-int");
    }
    const std::vector<QueryCondition> where =
        ParseConditions(options.where, options.whereLiteral, options.ignoreCase);
    const Changes changes = ParseChanges(texts);
    EditSession edit(options.file, options.write);
    std::vector<std::string> problems;
    std::size_t matched = 0;
    for (CReuseBlock* block : BlocksInOrder(edit.Blocks())) {
        if (!Matches(*block, where)) continue;
        ++matched;
        ApplyChanges(*block, changes, options.syncInt, problems);
    }
    FailOnProblems(problems);
    if (matched == 0) {
        PrintDiagnostic(WarningLine("no block of " + EscapeForDisplay(DisplayName(options.file)) +
                                    " matches --where; nothing written"));
        return kExitSuccess;
    }
    return edit.Write();
}

}  // namespace

int RunSet(const SetOptions& options) {
    if (!options.updates.empty()) return RunSetFrom(options);
    if (!options.format.empty()) throw UsageError("--format describes the file of --from");
    if (!options.where.empty() || !options.whereLiteral.empty()) return RunSetWhere(options);
    if (options.syncInt && options.assignments.empty()) return RunSyncInt(options);
    if (options.id.empty() || options.assignments.empty()) {
        throw UsageError(
            "set needs ID FIELD=VALUE..., --where CONDITION FIELD=VALUE... or "
            "--from UPDATES");
    }
    const Changes changes = ParseChanges(options.assignments);
    EditSession edit(options.file, options.write);
    CReuseBlock& block = edit.Block(options.id);
    std::vector<std::string> problems;
    ApplyChanges(block, changes, false, problems);
    FailOnProblems(problems);
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
    if (!options.where.empty() || !options.whereLiteral.empty()) {
        throw UsageError("set takes either --where or --from UPDATES, not both");
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
