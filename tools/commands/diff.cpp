// SPDX-License-Identifier: MIT
// `diff`: two files compared as collections of blocks, the way a reviewer reads a change.
#include <iostream>

#include "commands/commands.h"
#include "edit/loading.h"
#include "files/standard_streams.h"
#include "inspect/diff_report.h"
#include "terminal/standard_output.h"
#include "terminal/table.h"
#include "terminal/text_escape.h"
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

// One side of a change as git hands it to a diff driver: FILE HEX MODE, where a file that is
// not there on that side is "/dev/null . .".
struct GitSide {
    const std::string& file;
    const std::string& mode;
    std::string name;  // "a/PATH", "b/PATH" or "/dev/null", as git names it
    bool absent;
};

GitSide SideOf(const std::vector<std::string>& args, std::size_t first, std::string name) {
    const bool absent = args[first] == "/dev/null" && args[first + 2] == ".";
    return {args[first], args[first + 2], absent ? "/dev/null" : std::move(name), absent};
}

// Why `side` does not load, as lines of the diff; empty when it loads.
std::string LoadSide(CReuseBlockFile& blocks, const GitSide& side) {
    if (side.absent) return {};
    try {
        LoadOrFail(blocks, side.file, side.name);
    } catch (const ToolError& error) {
        return EscapeForDisplay(error.what());
    }
    return {};
}

// git stops at a driver that fails and hides every later file, so the driver shows its trouble
// in the diff instead and always exits 0.
int RunGitDriver(const DiffOptions& options) {
    // git runs a diff driver with PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE NEW-HEX NEW-MODE, and
    // NEW-PATH and its own header lines after a rename or copy; with PATH alone when unmerged.
    const std::vector<std::string>& args = options.files;
    if (args.size() == 1) {
        std::cout << "* Unmerged path " << Cell(args[0]) << '\n';
        return kDiffEqual;
    }
    if (args.size() != 7 && args.size() != 9) {
        throw UsageError("diff --git expects the 7 or 9 arguments git gives a diff driver");
    }
    const std::string& newPath = args[args.size() == 9 ? 7 : 0];
    const GitSide before = SideOf(args, 1, "a/" + args[0]);
    const GitSide after = SideOf(args, 4, "b/" + newPath);
    DiffExtras extras{{}, ColorsFor(options.color)};
    if (newPath != args[0]) {
        const bool copy = args.size() == 9 && args[8].find("copy from") != std::string::npos;
        extras.notes.push_back((copy ? "copied " : "renamed ") + Cell(args[0]) + " -> " +
                               Cell(newPath));
    }
    if (!before.absent && !after.absent && before.mode != after.mode) {
        extras.notes.push_back("mode " + Cell(before.mode) + " -> " + Cell(after.mode));
    }
    CReuseBlockFile old;
    CReuseBlockFile now;
    const std::string trouble = LoadSide(old, before) + LoadSide(now, after);
    if (!trouble.empty()) {
        extras.notes.push_back(trouble);
        PrintDiffText({}, before.name, after.name, std::cout, extras);
        return kDiffEqual;
    }
    const std::vector<BlockChange> changes = CompareCollections(old, now);
    if (options.json) {
        PrintDiffJson(changes, before.name, after.name);
    } else if (options.stat) {
        PrintDiffStat(changes, std::cout);
    } else {
        PrintDiffText(changes, before.name, after.name, std::cout, extras);
    }
    return kDiffEqual;
}

// git's textconv: the file as text for git's own line diff, in `git log -p`, `git show` and
// blame. A file that does not load becomes that message, so that git goes on.
int RunTextConversion(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError("diff --textconv takes one file, as git gives it");
    CReuseBlockFile blocks;
    try {
        // git names a scratch copy; the message says what is wrong, not where git put it.
        LoadOrFail(blocks, args[0], "file");
    } catch (const ToolError& error) {
        std::cout << EscapeForDisplay(error.what()) << '\n';
        return kDiffEqual;
    }
    PrintBlocksAsText(blocks, std::cout);
    return kDiffEqual;
}

// Output lost is trouble too, not a difference: for git as well, which then stops and says so.
void FinishDiffOutput() {
    try {
        FinishStandardOutput();
    } catch (const ToolError& error) {
        throw ToolError(kDiffTrouble, error.what());
    }
}

}  // namespace

int RunDiff(const DiffOptions& options) {
    if (options.textconv) return RunTextConversion(options.files);
    if (options.git) {
        const int status = RunGitDriver(options);
        FinishDiffOutput();
        return status;
    }
    const std::vector<std::string>& args = options.files;
    if (args.size() != 2) throw UsageError("diff compares two files: reuseblocks diff OLD NEW");
    CReuseBlockFile before;
    CReuseBlockFile after;
    LoadForDiff(before, args[0]);
    LoadForDiff(after, args[1]);
    const std::vector<BlockChange> changes = CompareCollections(before, after);
    const std::string oldName = DisplayName(args[0]);
    const std::string newName = DisplayName(args[1]);
    if (options.quiet) {
        if (!changes.empty()) {
            std::cout << "Files " << Cell(oldName) << " and " << Cell(newName) << " differ\n";
        }
    } else if (options.json) {
        PrintDiffJson(changes, oldName, newName);
    } else if (options.stat) {
        PrintDiffStat(changes, std::cout);
    } else {
        PrintDiffText(changes, oldName, newName, std::cout, {{}, ColorsFor(options.color)});
    }
    FinishDiffOutput();
    return changes.empty() ? kDiffEqual : kDiffDifferent;
}

}  // namespace reuseblocks::tool
