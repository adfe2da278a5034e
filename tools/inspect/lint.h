// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_LINT_H
#define REUSEBLOCKS_TOOLS_INSPECT_LINT_H

#include <reuseblocks/reuseblocks.h>

#include <optional>
#include <string>
#include <vector>

#include "inspect/record_lines.h"

namespace reuseblocks::tool {

// One thing `check` reports about a file.
struct Problem {
    unsigned long line = 0;  // 1-based; 0 when no line can be named
    std::string severity;    // "error", "warning" or "note"
    std::string code;        // stable name for scripts, e.g. "Convention"
    std::optional<std::string> block;
    std::optional<std::string> field;
    std::string message;
};

// The first line of `path` is not the format line the writer puts there. Nothing when it is,
// or when the file cannot be read.
std::optional<Problem> CheckFormatLine(const std::string& path);

// Values outside the conventions the header documents (BLOCK_TYPE, BLOCK_STATUS, QOR_STATUS) and
// layer maps that repeat an earlier one of the same block. `blocks` in walk order, `lines` the
// record lines of as many blocks or fewer (the rest then go without a line).
std::vector<Problem> CheckConventions(const std::vector<CReuseBlock*>& blocks,
                                      const std::vector<RecordLines>& lines);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_LINT_H
