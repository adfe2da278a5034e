// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_CHANGED_BLOCK_CHECK_H
#define REUSEBLOCKS_TOOLS_LSP_CHANGED_BLOCK_CHECK_H

#include <cstddef>
#include <map>
#include <optional>
#include <vector>

#include "inspect/lint.h"

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

// How many blocks of a text stand at each placement (StackingPlaceOf): whether a block that moves
// leaves a stack or lands on another block. Counted from the text when first asked, then kept up
// to date by the changes checked on their own.
class StackingPlaceCounts {
  public:
    // The count at `place` in `text`, which must be the text of every earlier call.
    std::size_t At(const TextDocument& text, const StackingPlace& place);
    void Move(const std::optional<StackingPlace>& from, const std::optional<StackingPlace>& to);
    void Forget() { m_counts.reset(); }

  private:
    struct Order {
        bool operator()(const StackingPlace& a, const StackingPlace& b) const;
    };
    // Sorted, so that no crafted set of values can make it quadratic.
    std::optional<std::map<StackingPlace, std::size_t, Order>> m_counts;
};

// The problems of `after`, the text `change` made of `before`, when the change stays inside one
// block and leaves everything the other blocks are checked against as it was: that block alone is
// checked again (with the lines before the first block, which it is read under), and the problems
// of the others are kept, moved with the text. `problems` must be every problem of `before`, as
// DiagnoseDocument gives them, and `placements` those of `before`; they become those of `after`.
// Nothing when the change may reach further, or a rule that looks at the whole file is in play (a
// rejected line, a block moved from or onto a stack, the problem limit): the whole text must be
// checked then. The result is always what DiagnoseDocument(after) gives.
std::optional<std::vector<PlacedProblem>> RecheckChangedBlock(
    const TextDocument& before, const std::vector<PlacedProblem>& problems,
    const TextChange& change, const TextDocument& after, StackingPlaceCounts& placements);

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_CHANGED_BLOCK_CHECK_H
