// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_EDIT_TEXT_UPDATE_H
#define REUSEBLOCKS_EDIT_TEXT_UPDATE_H

#include <reuseblocks/edit.h>

#include <deque>
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

// An updated text as the pieces it is made of, in order: runs of the original text, which it
// points into, and the text the update made, which it holds. A large file with a few lines
// changed is written out from its original text, never copied whole.
class UpdatedText {
  public:
    UpdatedText() = default;
    UpdatedText(const UpdatedText&) = delete;
    UpdatedText& operator=(const UpdatedText&) = delete;

    const std::vector<std::string_view>& Pieces() const noexcept { return m_pieces; }
    // Whether the pieces spell `text` exactly.
    bool SameAs(std::string_view text) const noexcept;
    std::string Joined() const;

    // Appends a run of the original text.
    void AddOriginal(std::string_view run);
    // Appends made text: when the output so far stops inside a line, `lineEnd` ends it first.
    void AddMade(std::string_view text, std::string_view lineEnd);

  private:
    void Hold(std::string_view text);

    std::vector<std::string_view> m_pieces;
    std::deque<std::string> m_made;  // a deque: the pieces keep pointing into what it holds
    bool m_lastIsMade = false;
    char m_last = '\0';
};

// The update of `text`, whose layout is `layout`, to `blocks`, added to `updated`, which points
// into `text`; `marks` may be null.
UpdateReport ComposeUpdate(std::string_view text, const TextLayout& layout,
                           const CReuseBlockFile& blocks, const UpdateOptions& options,
                           const ConflictMarks* marks, UpdatedText& updated);

// A block's definition line and its layer-map lines as WriteFile writes them, each ended with
// `lineEnd`. False, with nothing added, when a value holds a line break.
bool AppendBlockLines(const CReuseBlock& block, std::string_view lineEnd, std::string& out);

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_EDIT_TEXT_UPDATE_H
