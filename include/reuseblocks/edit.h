// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_EDIT_H
#define REUSEBLOCKS_EDIT_H

// Writing an edited collection back into the text it was loaded from, so that the file loses
// nothing a person or another program put there: every line the edit does not touch (header,
// comments, blank lines, parentheses, spacing, line ends) stays byte for byte.
//
// Blocks are matched to their lines by the key they were loaded under, so a block renamed
// through SetProperty(0) keeps its place. A block whose values changed gets its definition line
// written as WriteFile writes it, and only its changed layer-map rows are written anew (all of
// them after a rename, since they name the block). A removed block takes its definition and
// mapping lines with it; a new block goes after the last block of the text. WriteFile still
// writes a whole new file under a fresh header.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reuseblocks/diagnostics.h"
#include "reuseblocks/export.h"
#include "reuseblocks/reuseblocks.h"

namespace reuseblocks {

struct UpdateOptions {
    // Empty: the header's "# Application:" and "# Date:" lines stay as they are. Otherwise the
    // first of each before the first block is rewritten: the application named, and the date.
    std::string application;
    // The date the "# Date:" line takes, in seconds since 1970-01-01 UTC, written as UTC; when
    // not set, the current local time. Only used with `application`.
    bool hasDate = false;
    std::int64_t date = 0;
};

// The outcome of an update.
enum class UpdateResult : int {
    kUpdated = 1,           // the new text differs and was written (or produced)
    kUnchanged = 2,         // the new text is the old one: nothing was written
    kCannotRead = -1,       // the original text could not be read
    kRejectedText = -2,     // the original text does not load (see line and message)
    kUnwritableValue = -3,  // a value holds a line break, or two blocks would share an ID
    kCannotWrite = -4,      // the target could not be written; it keeps its old content
};

struct UpdateReport {
    UpdateResult result = UpdateResult::kUnchanged;
    // 1-based line of the original text that does not load (kRejectedText), otherwise 0.
    unsigned long line = 0;
    // The step of a failed write (kCannotWrite) as WriteFileWithReport tells it; kCheck for
    // kUnwritableValue; otherwise kNone.
    WriteStep step = WriteStep::kNone;
    // The system's error number of a failed read or write, otherwise 0.
    int systemError = 0;
    // A short English explanation; empty when all went well.
    std::string message;

    bool Succeeded() const noexcept {
        return result == UpdateResult::kUpdated || result == UpdateResult::kUnchanged;
    }
};

// The text `original` (a blocks file's whole text, as loaded into `blocks` before the edit)
// with the edit of `blocks` applied; `updated` is left as it was unless the report succeeds.
REUSEBLOCKS_API UpdateReport UpdateText(std::string_view original, const CReuseBlockFile& blocks,
                                        const UpdateOptions& options, std::string& updated);

// Reads the file at `path`, updates its text as UpdateText does and writes it back in one
// atomic step, or writes nothing at all when the text would not change. A failure leaves the
// file as it was.
REUSEBLOCKS_API UpdateReport UpdateFileWithReport(const CReuseBlockFile& blocks, const char* path,
                                                  const UpdateOptions& options);

// As above, reading `source` and writing the result to `target` (which is always written,
// unless it is `source` itself and the text would not change).
REUSEBLOCKS_API UpdateReport UpdateFileWithReport(const CReuseBlockFile& blocks, const char* source,
                                                  const char* target, const UpdateOptions& options);

// The name of a result ("Updated", "RejectedText"), or "Unknown".
REUSEBLOCKS_API const char* UpdateResultName(UpdateResult result) noexcept;

// Three-way merges of a blocks file, block by block: blocks match by ID; each property merges on
// its own (a change on one side is taken, the same change on both sides once); layer-map rows
// merge as a sequence. Blocks added or removed on either side are merged too; a block removed on
// one side and changed on the other, or a value changed differently on both, is a conflict.

struct ThreeWayOptions {
    std::string currentLabel = "CURRENT";  // after "<<<<<<<"
    std::string otherLabel = "OTHER";      // after ">>>>>>>"
};

// A block the sides disagree about.
struct MergeConflict {
    std::string blockID;
    unsigned long line = 0;  // of its "<<<<<<<" in the merged text
    int property = -1;       // 0 to 11, or -1 for the layer maps or the block as a whole
    // "XLOC: 111 here, 222 in OTHER", "layer maps changed here and in OTHER",
    // "changed here, removed in OTHER", "removed here, changed in OTHER"
    std::string message;
};

enum class ThreeWayResult : int {
    kClean = 0,      // merged without conflicts
    kConflicts = 1,  // merged, with conflicts marked as git marks them
    kTrouble = 2,    // a side that does not load or cannot be read: nothing was merged
};

struct ThreeWayReport {
    ThreeWayResult result = ThreeWayResult::kClean;
    std::vector<MergeConflict> conflicts;
    // With kTrouble: which text (0 current, 1 base, 2 other), its line (or 0) and why.
    int side = -1;
    unsigned long line = 0;
    std::string message;
};

// `current` with the changes from `base` to `other` merged into it, keeping the text of `current`
// as UpdateText does; conflicting blocks keep their lines from `current` between "<<<<<<<" and
// "=======", and the other side's between "=======" and ">>>>>>>". `merged` is left as it was
// with kTrouble.
REUSEBLOCKS_API ThreeWayReport MergeTexts(std::string_view current, std::string_view base,
                                          std::string_view other, const ThreeWayOptions& options,
                                          std::string& merged);

}  // namespace reuseblocks

#endif  // REUSEBLOCKS_EDIT_H
