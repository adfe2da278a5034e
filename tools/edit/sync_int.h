// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_EDIT_SYNC_INT_H
#define REUSEBLOCKS_TOOLS_EDIT_SYNC_INT_H

#include <reuseblocks/reuseblocks.h>

#include <string>

namespace reuseblocks::tool {

class EditSession;

// Sets INT_XLOC and INT_YLOC from XLOC and YLOC in the block's UNITS (`set --sync-int`). False,
// with nothing changed, when either is not a number or UNITS names no length unit.
bool SyncInternalLocation(CReuseBlock& block);

// The same, or a usage error naming the values that give no location.
void SyncInternalLocationOrFail(CReuseBlock& block);

// Every block of the edit; those that give no location stay as they are, counted in a note.
void SyncEveryInternalLocation(EditSession& edit);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_EDIT_SYNC_INT_H
