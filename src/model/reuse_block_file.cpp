// SPDX-License-Identifier: MIT
#include <cstdint>
#include <new>
#include <string_view>
#include <utility>

#include "model/block_storage.h"
#include "reuseblocks/reuseblocks.h"

using reuseblocks::detail::BlockIndex;

namespace {

POSITION ToPosition(BlockIndex::Position position) {
    return reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(position));
}

BlockIndex::Position FromPosition(POSITION position) {
    const auto value = reinterpret_cast<std::uintptr_t>(position);
    // Anything a walk could not have handed out names no entry.
    return value <= UINT32_MAX ? static_cast<BlockIndex::Position>(value) : 0;
}

}  // namespace

CReuseBlockFile::CReuseBlockFile() = default;

CReuseBlockFile::~CReuseBlockFile() {
    RemoveAll();
}

void CReuseBlockFile::RemoveAll() noexcept {
    if (!m_storage) return;
    // The pools go with the storage, so no slot is handed back to them one by one: only what the
    // values hold elsewhere is freed.
    const BlockIndex& index = m_storage->index;
    for (BlockIndex::Position position = index.First(); position;) {
        CReuseBlock* block = index.Next(position);
        for (CReuseBlock::LayerMap* row : block->m_layerMaps) row->~LayerMap();
        block->m_layerMaps.clear();
        block->~CReuseBlock();
    }
    m_storage.reset();
}

int CReuseBlockFile::GetCount() const {
    return m_storage ? static_cast<int>(m_storage->index.Count()) : 0;
}

CReuseBlock* CReuseBlockFile::CreateBlock() {
    if (!m_storage) m_storage = std::make_unique<reuseblocks::detail::BlockStorage>();
    return ::new (m_storage->blocks.Allocate()) CReuseBlock(*m_storage);
}

void CReuseBlockFile::DestroyBlock(CReuseBlock* block) noexcept {
    block->~CReuseBlock();
    m_storage->blocks.Release(block);
}

CReuseBlock* CReuseBlockFile::NewBlock(const char* name) {
    if (!name) return nullptr;
    const std::string_view key(name);
    if (!m_storage) m_storage = std::make_unique<reuseblocks::detail::BlockStorage>();
    BlockIndex& index = m_storage->index;
    const std::uint32_t hash = index.Hash(key);
    if (index.Find(key, hash)) return nullptr;
    CReuseBlock* block = CreateBlock();
    try {
        block->SetProperty(0, name);
        index.Add(key, hash, block);
    } catch (...) {
        DestroyBlock(block);
        throw;
    }
    return block;
}

int CReuseBlockFile::GetBlock(const char* name, CReuseBlock*& block) {
    if (!name || !m_storage) return 0;
    const std::string_view key(name);
    CReuseBlock* found = m_storage->index.Find(key, m_storage->index.Hash(key));
    if (!found) return 0;
    block = found;
    return 1;
}

int CReuseBlockFile::RemoveBlock(const char* name) {
    if (!name || !m_storage) return 0;
    const std::string_view key(name);
    CReuseBlock* removed = m_storage->index.Remove(key, m_storage->index.Hash(key));
    if (!removed) return 0;
    DestroyBlock(removed);
    return 1;
}

int CReuseBlockFile::RenameBlock(const char* oldName, const char* newName) {
    if (!oldName || !newName || !*newName || !m_storage) return 0;
    BlockIndex& index = m_storage->index;
    const std::string_view oldKey(oldName);
    const std::string_view newKey(newName);
    CReuseBlock* block = index.Find(oldKey, index.Hash(oldKey));
    if (!block) return 0;
    // Copied first: once the index has the new key, nothing may fail.
    CString id(newKey);
    if (oldKey != newKey && !index.Rename(oldKey, index.Hash(oldKey), newKey, index.Hash(newKey)))
        return 0;
    block->m_properties[0] = std::move(id);
    return 1;
}

int CReuseBlockFile::GetBlockKey(const CReuseBlock* block, CString& key) const {
    std::string_view found;
    if (!block || !m_storage ||
        !m_storage->index.KeyOfBlock(block, block->GetBlockID().GetView(), found))
        return 0;
    key = CString(found);
    return 1;
}

POSITION CReuseBlockFile::GetStartPosition() const {
    return m_storage ? ToPosition(m_storage->index.First()) : nullptr;
}

CReuseBlock* CReuseBlockFile::GetNext(POSITION& position) const {
    if (!position || !m_storage) return nullptr;
    BlockIndex::Position next = FromPosition(position);
    CReuseBlock* block = m_storage->index.Next(next);
    position = ToPosition(next);
    return block;
}

int CReuseBlockFile::GetBlocksIDs(CStringArray& ids) {
    if (!m_storage || m_storage->index.Count() == 0) return 0;
    const BlockIndex& index = m_storage->index;
    // Filled aside and moved in whole, so that running out of memory leaves `ids` as it was.
    CStringArray filled;
    filled.SetSize(static_cast<std::ptrdiff_t>(index.Count()));
    std::ptrdiff_t next = 0;
    for (BlockIndex::Position position = index.First(); position && next < filled.GetSize();) {
        filled[next++] = index.KeyAt(position);
        index.Next(position);
    }
    ids = std::move(filled);
    return 1;
}
