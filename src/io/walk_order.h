// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_WALK_ORDER_H
#define REUSEBLOCKS_IO_WALK_ORDER_H

#include <cstddef>
#include <vector>

#include "reuseblocks/reuseblocks.h"

namespace reuseblocks::detail {

// The blocks in the order a write puts them in, as a vector that two threads can split: the
// collection's own walk goes one position after the other.
inline std::vector<const CReuseBlock*> BlocksInWalkOrder(const CReuseBlockFile& blocks) {
    std::vector<const CReuseBlock*> walk;
    walk.reserve(static_cast<std::size_t>(blocks.GetCount()));
    for (POSITION position = blocks.GetStartPosition(); position;) {
        walk.push_back(blocks.GetNext(position));
    }
    return walk;
}

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_WALK_ORDER_H
