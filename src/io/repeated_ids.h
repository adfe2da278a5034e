// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_REPEATED_IDS_H
#define REUSEBLOCKS_IO_REPEATED_IDS_H

#include <vector>

#include "reuseblocks/reuseblocks.h"

namespace reuseblocks::detail {

// Blocks are written under property 0, not under their key. A rename through property 0 can
// therefore write two definition lines with one ID, and the loader rejects the second (-3) and
// reads nothing after it.
struct RepeatedIDs {
    // The blocks, in walk order, written under an ID that a block before them is written under.
    static std::vector<const CReuseBlock*> Find(const CReuseBlockFile& blocks);
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_REPEATED_IDS_H
