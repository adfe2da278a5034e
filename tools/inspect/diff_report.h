// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_DIFF_REPORT_H
#define REUSEBLOCKS_TOOLS_INSPECT_DIFF_REPORT_H

#include <iosfwd>
#include <string>
#include <vector>

#include "inspect/block_diff.h"
#include "terminal/colors.h"

namespace reuseblocks::tool {

// What the text of a diff shows beside the block changes.
struct DiffExtras {
    std::vector<std::string> notes;  // lines under the names, already fit for a terminal
    DiffColors colors;
};

// The differences as a reviewer reads them: "--- OLD", "+++ NEW", the notes, then each block
// that differs with what changed in it. Every ID, name and value is shown as a terminal cell;
// nothing when the collections are equal and there are no notes.
void PrintDiffText(const std::vector<BlockChange>& changes, const std::string& oldName,
                   const std::string& newName, std::ostream& out, const DiffExtras& extras = {});

// The blocks as lines that a line diff shows well, for git's textconv: in byte order of their
// IDs, each a "block ID" line (git's hunk headers pick it up), then a line per property and per
// layer map.
void PrintBlocksAsText(const CReuseBlockFile& blocks, std::ostream& out);

// One line per block that differs, and a tally.
void PrintDiffStat(const std::vector<BlockChange>& changes, std::ostream& out);

// The differences as one JSON document, pretty-printed and ended by a line break, on standard
// output as it is made, so that a large diff is not held twice.
void PrintDiffJson(const std::vector<BlockChange>& changes, const std::string& oldName,
                   const std::string& newName);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_DIFF_REPORT_H
