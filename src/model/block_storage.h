// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_MODEL_BLOCK_STORAGE_H
#define REUSEBLOCKS_MODEL_BLOCK_STORAGE_H

#include "model/block_index.h"
#include "model/layer_map.h"
#include "model/object_pool.h"
#include "reuseblocks/reuseblocks.h"

namespace reuseblocks::detail {

// The memory of one collection's blocks and of their layer-map rows, and the index of its
// blocks. Owned by the collection and destroyed after every block in it. A load on several
// threads gives each worker one of its own for the pools, which the collection's adopts.
struct BlockStorage {
    ChunkArena arena;
    ObjectPool<CReuseBlock> blocks{arena};
    ObjectPool<CReuseBlock::LayerMap> rows{arena};
    BlockIndex index;

    // Takes over the memory of `other`, whose blocks and rows now belong here.
    void Adopt(BlockStorage& other) noexcept {
        arena.Adopt(other.arena);
        blocks.Adopt(other.blocks);
        rows.Adopt(other.rows);
    }
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_BLOCK_STORAGE_H
