// SPDX-License-Identifier: MIT
#include <new>
#include <utility>

#include "model/block_storage.h"
#include "reuseblocks/reuseblocks.h"

namespace {

CReuseBlock* AsBlock(void* value) {
    return static_cast<CReuseBlock*>(value);
}

}  // namespace

CReuseBlockFile::CReuseBlockFile() = default;

CReuseBlockFile::~CReuseBlockFile() {
    RemoveAll();
}

void CReuseBlockFile::RemoveAll() noexcept {
    for (POSITION position = m_blockIndex.GetStartPosition(); position;) {
        DestroyBlock(AsBlock(m_blockIndex.GetNextValue(position)));
    }
    m_blockIndex.RemoveAll();
    m_storage.reset();
}

int CReuseBlockFile::GetCount() const {
    return m_blockIndex.GetCount();
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
    void* existing = nullptr;
    if (m_blockIndex.Lookup(name, existing)) return nullptr;
    CReuseBlock* block = CreateBlock();
    try {
        block->SetProperty(0, name);
        m_blockIndex[name] = block;
    } catch (...) {
        DestroyBlock(block);
        throw;
    }
    return block;
}

int CReuseBlockFile::GetBlock(const char* name, CReuseBlock*& block) {
    void* found = nullptr;
    if (!name || !m_blockIndex.Lookup(name, found)) return 0;
    block = AsBlock(found);
    return 1;
}

int CReuseBlockFile::RemoveBlock(const char* name) {
    void* found = nullptr;
    if (!name || !m_blockIndex.Lookup(name, found)) return 0;
    m_blockIndex.RemoveKey(name);
    DestroyBlock(AsBlock(found));
    return 1;
}

POSITION CReuseBlockFile::GetStartPosition() const {
    return m_blockIndex.GetStartPosition();
}

CReuseBlock* CReuseBlockFile::GetNext(POSITION& position) const {
    if (!position) return nullptr;
    return AsBlock(m_blockIndex.GetNextValue(position));
}

int CReuseBlockFile::GetBlocksIDs(CStringArray& ids) {
    if (m_blockIndex.IsEmpty()) return 0;
    // Filled aside and moved in whole, so that running out of memory leaves `ids` as it was.
    CStringArray filled;
    filled.SetSize(m_blockIndex.GetCount());
    std::ptrdiff_t next = 0;
    CString key;
    void* value = nullptr;
    for (POSITION position = m_blockIndex.GetStartPosition();
         position && next < filled.GetSize();) {
        m_blockIndex.GetNextAssoc(position, key, value);
        filled[next++] = key;
    }
    ids = std::move(filled);
    return 1;
}
