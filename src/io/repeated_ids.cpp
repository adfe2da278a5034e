// SPDX-License-Identifier: MIT
#include "io/repeated_ids.h"

#include <string_view>

#include "model/block_storage.h"

namespace reuseblocks::detail {

std::vector<const CReuseBlock*> RepeatedIDs::Find(const CReuseBlockFile& blocks) {
    std::vector<const CReuseBlock*> repeated;
    // Keys are unique, so a block written under its own key repeats nothing unless some other
    // block was renamed: without a rename, one comparison per block and no allocation.
    bool renamed = false;
    if (blocks.m_storage) {
        const BlockIndex& index = blocks.m_storage->index;
        for (BlockIndex::Position position = index.First(); position && !renamed;) {
            const std::string_view key = index.KeyAt(position);
            renamed = index.Next(position)->GetBlockID().GetView() != key;
        }
    }
    if (!renamed) return repeated;
    CMapStringToPtr written;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        const CReuseBlock* block = blocks.GetNext(position);
        const int before = written.GetCount();
        written.Insert(block->GetBlockID().GetView());
        if (written.GetCount() == before) repeated.push_back(block);
    }
    return repeated;
}

}  // namespace reuseblocks::detail
