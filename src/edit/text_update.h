// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_EDIT_TEXT_UPDATE_H
#define REUSEBLOCKS_EDIT_TEXT_UPDATE_H

#include <reuseblocks/edit.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "edit/text_layout.h"
#include "host/keyed_hash.h"

namespace reuseblocks::detail {

// What a three-way merge adds to an update: conflicts shown as git shows them.
struct ConflictMarks {
    std::string ours;    // the label after "<<<<<<<"
    std::string theirs;  // the label after ">>>>>>>"
    // By key: the other side's lines of a block whose own lines go between "<<<<<<<" and
    // "=======" (empty when the other side removed it).
    std::unordered_map<std::string, std::string, KeyedViewHash> wrapped;
    // Whole conflict regions for blocks this side no longer has, after the last block.
    std::string appended;
    // By index in the text: the blocks the merge keeps as they stand there, which are not among
    // the blocks written, nor compared with them.
    std::vector<bool> keptAsIs;
};

// The update of `text`, whose layout is `layout`, to `blocks`; `marks` may be null.
UpdateReport ComposeUpdate(std::string_view text, const TextLayout& layout,
                           const CReuseBlockFile& blocks, const UpdateOptions& options,
                           const ConflictMarks* marks, std::string& updated);

// A block's definition line and its layer-map lines as WriteFile writes them, each ended with
// `lineEnd`. False, with nothing added, when a value holds a line break.
bool AppendBlockLines(const CReuseBlock& block, std::string_view lineEnd, std::string& out);

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_EDIT_TEXT_UPDATE_H
