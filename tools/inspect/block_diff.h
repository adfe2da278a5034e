// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_BLOCK_DIFF_H
#define REUSEBLOCKS_TOOLS_INSPECT_BLOCK_DIFF_H

#include <reuseblocks/reuseblocks.h>

#include <cstdint>
#include <string>
#include <vector>

namespace reuseblocks::tool {

enum class ChangeKind { kAdded, kRemoved, kChanged };

struct PropertyChange {
    std::uint32_t index;
    std::string before;
    std::string after;
};

// A layer-map row of the old block, of the new one, or of both when it changed.
struct LayerMapChange {
    ChangeKind kind;
    long oldRow = -1;  // -1 for an added row
    long newRow = -1;  // -1 for a removed row
};

struct BlockChange {
    ChangeKind kind;
    std::string id;
    const CReuseBlock* before = nullptr;  // null for an added block
    const CReuseBlock* after = nullptr;   // null for a removed block
    std::vector<PropertyChange> properties;
    std::vector<LayerMapChange> layerMaps;
};

// The differences between two collections, blocks matched by ID and listed in byte order of
// their IDs, so that neither file's block order shows.
std::vector<BlockChange> CompareCollections(CReuseBlockFile& before, CReuseBlockFile& after);

// The rows that differ between two blocks, aligned by content (a longest common subsequence),
// so that one inserted row is reported as one added row. Within a stretch between common rows,
// removed and added rows pair up as changed rows.
std::vector<LayerMapChange> CompareLayerMaps(const CReuseBlock& before, const CReuseBlock& after);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_BLOCK_DIFF_H
