#include "reuseblocks/reuseblocks.h"

namespace {

CReuseBlock* AsBlock(void* value) { return static_cast<CReuseBlock*>(value); }

}  // namespace

CReuseBlockFile::CReuseBlockFile() = default;

CReuseBlockFile::~CReuseBlockFile() {
    for (POSITION position = m_blockIndex.GetStartPosition(); position;) {
        delete AsBlock(m_blockIndex.GetNextValue(position));
    }
}

CReuseBlock* CReuseBlockFile::NewBlock(const char* name) {
    if (!name) return nullptr;
    void* existing = nullptr;
    if (m_blockIndex.Lookup(name, existing)) return nullptr;
    CReuseBlock* block = new CReuseBlock();
    try {
        block->SetProperty(0, name);
        m_blockIndex[name] = block;
    } catch (...) {
        delete block;
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
    delete AsBlock(found);
    return 1;
}

POSITION CReuseBlockFile::GetStartPosition() const { return m_blockIndex.GetStartPosition(); }

CReuseBlock* CReuseBlockFile::GetNext(POSITION& position) const {
    if (!position) return nullptr;
    return AsBlock(m_blockIndex.GetNextValue(position));
}

int CReuseBlockFile::GetBlocksIDs(CStringArray& ids) {
    if (m_blockIndex.IsEmpty()) return 0;
    ids.SetSize(m_blockIndex.GetCount());
    std::ptrdiff_t next = 0;
    CString key;
    void* value = nullptr;
    for (POSITION position = m_blockIndex.GetStartPosition(); position && next < ids.GetSize();) {
        m_blockIndex.GetNextAssoc(position, key, value);
        ids[next++] = key;
    }
    return 1;
}
