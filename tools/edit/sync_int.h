// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_EDIT_SYNC_INT_H
#define REUSEBLOCKS_TOOLS_EDIT_SYNC_INT_H

#include <reuseblocks/reuseblocks.h>

#include <string>

namespace reuseblocks::tool {

class EditSession;

// Sets INT_XLOC and INT_YLOC from XLOC and YLOC in the block's UNITS (`set --sync-int`), each
// where it can. False when either is not a number or UNITS names no length unit, so that the
// internal location of that axis stays as it was.
bool SyncInternalLocation(CReuseBlock& block);

// The same, or a usage error naming the values that give no location.
void SyncInternalLocationOrFail(CReuseBlock& block);

// Every block of the edit; those where an axis gives no location are counted in a note.
void SyncEveryInternalLocation(EditSession& edit);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_EDIT_SYNC_INT_H
