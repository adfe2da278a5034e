// SPDX-License-Identifier: MIT
// `diff`: two files compared as collections of blocks, the way a reviewer reads a change.
#include <iostream>

#include "commands/commands.h"
#include "edit/loading.h"
#include "files/standard_streams.h"
#include "inspect/diff_report.h"
#include "terminal/standard_output.h"
#include "terminal/table.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

// diff(1)'s statuses: scripts and git read them so.
constexpr int kDiffEqual = 0;
constexpr int kDiffDifferent = 1;
constexpr int kDiffTrouble = 2;

// A file that does not load is trouble, status 2, as for diff(1).
void LoadForDiff(CReuseBlockFile& blocks, const std::string& path) {
    try {
        LoadOrFail(blocks, path);
    } catch (const ToolError& error) {
        throw ToolError(kDiffTrouble, error.what());
    }
}

}  // namespace

int RunDiff(const DiffOptions& options) {
    const std::vector<std::string>& args = options.files;
    std::string oldPath = args.size() == 2 ? args[0] : std::string();
    std::string newPath = args.size() == 2 ? args[1] : std::string();
    std::string oldName = DisplayName(oldPath);
    std::string newName = DisplayName(newPath);
    if (options.git) {
        // git runs a diff driver with PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE NEW-HEX NEW-MODE,
        // and NEW-PATH and a message after a rename; with PATH alone for an unmerged file.
        if (args.size() == 1) {
            std::cout << "* Unmerged path " << Cell(args[0]) << '\n';
            return kDiffEqual;
        }
        if (args.size() != 7 && args.size() != 9) {
            throw UsageError("diff --git expects the 7 or 9 arguments git gives a diff driver");
        }
        oldPath = args[1];
        newPath = args[4];
        oldName = "a/" + args[0];
        newName = "b/" + args[args.size() == 9 ? 7 : 0];
    } else if (args.size() != 2) {
        throw UsageError("diff compares two files: reuseblocks diff OLD NEW");
    }

    CReuseBlockFile before;
    CReuseBlockFile after;
    LoadForDiff(before, oldPath);
    LoadForDiff(after, newPath);
    const std::vector<BlockChange> changes = CompareCollections(before, after);
    if (options.json) {
        std::cout << DiffJson(changes, oldName, newName);
    } else if (options.stat) {
        PrintDiffStat(changes, std::cout);
    } else {
        PrintDiffText(changes, oldName, newName, std::cout);
    }
    // Output lost is trouble too, not a difference.
    try {
        FinishStandardOutput();
    } catch (const ToolError& error) {
        throw ToolError(kDiffTrouble, error.what());
    }
    // git takes any status but 0 for a failed driver.
    if (options.git) return kDiffEqual;
    return changes.empty() ? kDiffEqual : kDiffDifferent;
}

}  // namespace reuseblocks::tool
