// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_LINE_LINT_H
#define REUSEBLOCKS_TOOLS_INSPECT_LINE_LINT_H

#include <reuseblocks/fields.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/lint.h"
#include "inspect/record_lines.h"

namespace reuseblocks::tool {

// A definition line the library did not load, because it stands after the line it rejected.
struct UnloadedBlock {
    unsigned long line = 0;
    std::array<std::string, kPropertyCount> values;
};

// What reading a file's lines on their own finds.
struct LineLint {
    RecordLinesList lines;                // of the blocks loaded, in load order
    std::vector<UnloadedBlock> unloaded;  // the definitions after the rejected line
    std::vector<Problem> problems;        // in file order, those the tally kept
};

// Reads `path` line by line as the loader does, so that checking goes on where loading stopped:
// `rejected` is the line the loader rejected (0 when it read the whole file). Reports field
// counts, mapping lines before the first block, near misses of the mapping keyword and, after
// the rejected line, what the loader would have rejected there; a repeated block ID says where
// the block was first defined. Empty when the file cannot be read. `tally` (by default one of its
// own, of every code) decides which problems are kept and counts the rest.
LineLint LintLines(const std::string& path, unsigned long rejected, ProblemTally* tally = nullptr);
// The same of a file's whole text; without `recordLines`, `lines` stays empty.
LineLint LintText(std::string_view text, unsigned long rejected, ProblemTally* tally = nullptr,
                  bool recordLines = true);

// Whether `problem` is text the loader skips although it is neither blank nor a comment: a
// mapping line before the first block, fields beyond a record's count.
bool IsIgnoredText(const Problem& problem);

// The first IsIgnoredText problem of a text the loader read whole, if any.
std::optional<Problem> FirstIgnoredText(std::string_view text);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_LINE_LINT_H
