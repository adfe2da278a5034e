// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_CHANGED_BLOCK_CHECK_H
#define REUSEBLOCKS_TOOLS_LSP_CHANGED_BLOCK_CHECK_H

#include <cstddef>
#include <optional>
#include <vector>

#include "lsp/document_diagnostics.h"
#include "lsp/text_document.h"

namespace reuseblocks::tool::lsp {

// An edit of a document's text: the bytes [begin, end) of the text before it became `inserted`
// bytes at `begin`.
struct TextChange {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t inserted = 0;
};

// The problems of `after`, the text `change` made of `before`, when the change stays inside one
// block and leaves everything the other blocks are checked against as it was: that block alone is
// checked again (with the lines before the first block, which it is read under), and the problems
// of the others are kept, moved with the text. `problems` must be every problem of `before`, as
// DiagnoseDocument gives them. Nothing when the change may reach further, or a rule that looks at
// the whole file is in play (a rejected line, a repeated placement that moves, the problem
// limit): the whole text must be checked then. The result is always what DiagnoseDocument(after)
// gives.
std::optional<std::vector<PlacedProblem>> RecheckChangedBlock(
    const TextDocument& before, const std::vector<PlacedProblem>& problems,
    const TextChange& change, const TextDocument& after);

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_CHANGED_BLOCK_CHECK_H
