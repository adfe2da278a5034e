// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_DIFF_REPORT_H
#define REUSEBLOCKS_TOOLS_INSPECT_DIFF_REPORT_H

#include <iosfwd>
#include <string>
#include <vector>

#include "inspect/block_diff.h"

namespace reuseblocks::tool {

// The differences as a reviewer reads them: "--- OLD", "+++ NEW", then each block that differs
// with what changed in it. Every ID, name and value is shown as a terminal cell; nothing when
// the collections are equal.
void PrintDiffText(const std::vector<BlockChange>& changes, const std::string& oldName,
                   const std::string& newName, std::ostream& out);

// One line per block that differs, and a tally.
void PrintDiffStat(const std::vector<BlockChange>& changes, std::ostream& out);

// The differences as one JSON document, pretty-printed and ended by a line break.
std::string DiffJson(const std::vector<BlockChange>& changes, const std::string& oldName,
                     const std::string& newName);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_DIFF_REPORT_H
