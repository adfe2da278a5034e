// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_MODEL_BLOCK_STORAGE_H
#define REUSEBLOCKS_MODEL_BLOCK_STORAGE_H

#include "model/layer_map.h"
#include "model/object_pool.h"
#include "reuseblocks/reuseblocks.h"

namespace reuseblocks::detail {

// The memory of one collection's blocks and of their layer-map rows. Owned by the collection and
// destroyed after every block in it.
struct BlockStorage {
    ObjectPool<CReuseBlock> blocks;
    ObjectPool<CReuseBlock::LayerMap> rows;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_BLOCK_STORAGE_H
