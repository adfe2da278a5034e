// SPDX-License-Identifier: MIT
#include "collection.h"

#include <utility>

#include "errors.h"

namespace reuseblocks::python {

CReuseBlockFile& Collection::Blocks(Access access) {
    if (m_loading || (access == Access::kChange && m_writers > 0)) RaiseBusy();
    return m_blocks;
}

std::uint64_t Collection::SerialOf(const void* object) {
    const auto [entry, added] = m_serials.try_emplace(object, m_nextSerial);
    if (added) ++m_nextSerial;
    return entry->second;
}

bool Collection::IsCurrent(const void* object, std::uint64_t serial) const {
    const auto entry = m_serials.find(object);
    return entry != m_serials.end() && entry->second == serial;
}

CReuseBlock* Collection::AddBlock(const char* id) {
    CReuseBlock* block = Blocks(Access::kChange).NewBlock(id);
    if (block != nullptr) {
        ++m_blockCount;
        ++m_blockSetVersion;
    }
    return block;
}

bool Collection::RemoveBlock(const char* id) {
    CReuseBlock* block = nullptr;
    if (Blocks(Access::kChange).GetBlock(id, block) == 0) return false;
    for (std::uint32_t row = 0; row < block->GetLayerMapCount(); ++row) {
        m_serials.erase(RowIdentity(*block, row));
    }
    m_serials.erase(block);
    m_blocks.RemoveBlock(id);
    --m_blockCount;
    ++m_blockSetVersion;
    return true;
}

std::uint32_t Collection::AppendRow(CReuseBlock& block) {
    Blocks(Access::kChange);
    return block.NewLayerMap();
}

void Collection::RemoveRow(CReuseBlock& block, std::uint32_t row) {
    Blocks(Access::kChange);
    m_serials.erase(RowIdentity(block, row));
    block.RemoveLayerMap(row);
}

// A load adds blocks that the binding does not see one by one.
void Collection::Busy::RecountBlocks() {
    const CReuseBlockFile& blocks = m_collection.m_blocks;
    std::size_t count = 0;
    for (POSITION position = blocks.GetStartPosition(); position; blocks.GetNext(position)) {
        ++count;
    }
    m_collection.m_blockCount = count;
}

Collection::Busy::Busy(Collection& collection, Access access)
    : m_collection(collection), m_access(access) {
    collection.Blocks(access);
    if (access == Access::kChange) {
        collection.m_loading = true;
        ++collection.m_blockSetVersion;
    } else {
        ++collection.m_writers;
    }
}

Collection::Busy::~Busy() {
    if (m_access == Access::kChange) {
        m_collection.m_loading = false;
    } else {
        --m_collection.m_writers;
    }
}

const void* RowIdentity(CReuseBlock& block, std::uint32_t row) {
    return &block.GetLayerMap(row, 0);
}

BlockHandle::BlockHandle(std::shared_ptr<Collection> collection, CReuseBlock* block)
    : m_collection(std::move(collection)),
      m_block(block),
      m_serial(m_collection->SerialOf(block)) {}

CReuseBlock& BlockHandle::Get(Access access) const {
    m_collection->Blocks(access);
    if (!m_collection->IsCurrent(m_block, m_serial)) {
        RaiseStale("the block was removed from its BlocksFile");
    }
    return *m_block;
}

bool BlockHandle::IsStale() const {
    return !m_collection->IsCurrent(m_block, m_serial);
}

RowHandle::RowHandle(BlockHandle block, std::uint32_t row)
    : m_block(std::move(block)), m_lastIndex(row) {
    CReuseBlock& owner = m_block.Get();
    m_identity = RowIdentity(owner, row);
    m_serial = m_block.Owner()->SerialOf(m_identity);
}

std::uint32_t RowHandle::Index(Access access) const {
    CReuseBlock& block = m_block.Get(access);
    if (!m_block.Owner()->IsCurrent(m_identity, m_serial)) {
        RaiseStale("the layer-map row was removed from its block");
    }
    const std::uint32_t count = block.GetLayerMapCount();
    if (m_lastIndex < count && RowIdentity(block, m_lastIndex) == m_identity) return m_lastIndex;
    // Earlier rows were removed: the row moved down.
    for (std::uint32_t row = 0; row < count; ++row) {
        if (RowIdentity(block, row) == m_identity) return m_lastIndex = row;
    }
    RaiseStale("the layer-map row was removed from its block");
}

}  // namespace reuseblocks::python
