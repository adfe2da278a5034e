// SPDX-License-Identifier: MIT
// `merge-file`: a three-way merge of one blocks file, block by block, as git's merge driver.
#include <reuseblocks/edit.h>

#include <fstream>
#include <iostream>
#include <iterator>

#include "commands/commands.h"
#include "files/atomic_file.h"
#include "files/standard_streams.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

// Trouble (status 2) unless the whole file can be read.
std::string ReadOrTrouble(const std::string& path) {
    std::ifstream in(ReadablePath(path), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        throw ToolError(kExitUsage, ErrorLine("cannot read " + Quoted(path)));
    }
    if (!in.is_open()) throw ToolError(kExitUsage, ErrorLine("cannot open " + Quoted(path)));
    return text;
}

}  // namespace

int RunMergeFile(const MergeFileOptions& options) {
    if (options.labels.size() > 3) throw UsageError("-L is given at most three times");
    const std::string* names[] = {&options.current, &options.base, &options.other};
    std::string texts[3];
    for (int side = 0; side < 3; ++side) texts[side] = ReadOrTrouble(*names[side]);
    ThreeWayOptions merge;
    merge.currentLabel = options.labels.size() > 0 ? options.labels[0] : options.current;
    merge.otherLabel = options.labels.size() > 2 ? options.labels[2] : options.other;
    std::string merged;
    const ThreeWayReport report = MergeTexts(texts[0], texts[1], texts[2], merge, merged);
    if (report.result == ThreeWayResult::kTrouble) {
        // Nothing is merged: CURRENT stays as it is.
        throw ToolError(kExitUsage,
                        Diagnostic(DisplayName(*names[report.side < 0 ? 0 : report.side]),
                                   report.line, "error", report.message));
    }
    const std::string shownAs = options.name.empty() ? DisplayName(options.current) : options.name;
    std::string conflicts;
    for (const MergeConflict& conflict : report.conflicts) {
        conflicts += Diagnostic(shownAs, conflict.line, "conflict",
                                "block " + Quoted(conflict.blockID) + " " + conflict.message) +
                     "\n";
    }
    if (options.print) {
        std::cout.write(merged.data(), static_cast<std::streamsize>(merged.size()));
        std::cout.flush();
    } else if (merged != texts[0]) {
        WriteWholeFile(options.current, merged);
    }
    if (!conflicts.empty()) PrintDiagnostic(conflicts);
    return report.result == ThreeWayResult::kClean ? kExitSuccess : kExitFailure;
}

}  // namespace reuseblocks::tool
