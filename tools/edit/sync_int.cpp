// SPDX-License-Identifier: MIT
#include "edit/sync_int.h"

#include <optional>

#include "edit/edit_session.h"
#include "edit/loading.h"
#include "files/standard_streams.h"
#include "records/fields.h"
#include "records/locations.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

bool SyncInternalLocation(CReuseBlock& block) {
    const std::string_view units = block.GetProperty(kUnits).GetView();
    const std::optional<long long> x = DatabaseUnits(block.GetProperty(kXLoc).GetView(), units);
    const std::optional<long long> y = DatabaseUnits(block.GetProperty(kYLoc).GetView(), units);
    if (x) block.SetProperty(kIntXLoc, std::to_string(*x).c_str());
    if (y) block.SetProperty(kIntYLoc, std::to_string(*y).c_str());
    return x && y;
}

void SyncInternalLocationOrFail(CReuseBlock& block) {
    // Looked at first, so that a refused block is left as it was.
    const std::string units = PropertyText(block, kUnits);
    if (DatabaseUnits(PropertyText(block, kXLoc), units) &&
        DatabaseUnits(PropertyText(block, kYLoc), units)) {
        SyncInternalLocation(block);
        return;
    }
    throw UsageError("--sync-int: XLOC " + Quoted(PropertyText(block, kXLoc)) + " and YLOC " +
                     Quoted(PropertyText(block, kYLoc)) + " in UNITS " +
                     Quoted(PropertyText(block, kUnits)) + " of block " +
                     Quoted(PropertyText(block, kBlockHierName)) +
                     " give no location in database units");
}

void SyncEveryInternalLocation(EditSession& edit) {
    std::size_t left = 0;
    for (CReuseBlock* block : BlocksInOrder(edit.Blocks())) {
        if (!SyncInternalLocation(*block)) ++left;
    }
    if (left == 0) return;
    PrintDiagnostic(
        Diagnostic(DisplayName(edit.File()), 0, "note",
                   Counted(left, "block", "blocks") +
                       " kept INT_XLOC or INT_YLOC: their XLOC, YLOC or UNITS give no location"));
}

}  // namespace reuseblocks::tool
