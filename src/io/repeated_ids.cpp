// SPDX-License-Identifier: MIT
#include "io/repeated_ids.h"

namespace reuseblocks::detail {

std::vector<const CReuseBlock*> RepeatedIDs::Find(const CReuseBlockFile& blocks) {
    std::vector<const CReuseBlock*> repeated;
    // Keys are unique, so a block written under its own key repeats nothing unless some other
    // block was renamed: without a rename, one lookup per block and no allocation.
    bool renamed = false;
    for (POSITION position = blocks.GetStartPosition(); position && !renamed;) {
        const CReuseBlock* block = blocks.GetNext(position);
        void* holder = nullptr;
        renamed = !blocks.m_blockIndex.LookupKey(block->GetBlockID().GetView(), holder) ||
                  holder != block;
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
