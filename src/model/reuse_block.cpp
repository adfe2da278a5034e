// SPDX-License-Identifier: MIT
#include <new>

#include "model/block_storage.h"

namespace {

std::uint32_t CheckedProperty(std::uint32_t index) {
    if (index >= CReuseBlock::kPropertyCount) AfxThrowInvalidArgException();
    return index;
}

std::uint32_t CheckedColumn(std::uint32_t column) {
    if (column >= CReuseBlock::kLayerMapColumnCount) AfxThrowInvalidArgException();
    return column;
}

}  // namespace

CReuseBlock::CReuseBlock(reuseblocks::detail::BlockStorage& storage) noexcept
    : m_storage(&storage) {}

CReuseBlock::~CReuseBlock() {
    for (LayerMap* row : m_layerMaps) DestroyRow(row);
}

void CReuseBlock::DestroyRow(LayerMap* row) noexcept {
    row->~LayerMap();
    m_storage->rows.Release(row);
}

const CString& CReuseBlock::GetBlockID() const {
    return m_properties[0];
}

CString& CReuseBlock::GetProperty(std::uint32_t index) {
    return m_properties[CheckedProperty(index)];
}

CString CReuseBlock::GetProperty(std::uint32_t index) const {
    return m_properties[CheckedProperty(index)];
}

const CString& CReuseBlock::GetPropertyRef(std::uint32_t index) const {
    return m_properties[CheckedProperty(index)];
}

void CReuseBlock::SetProperty(std::uint32_t index, const char* value) {
    m_properties[CheckedProperty(index)] = value;
}

void CReuseBlock::Init() {
    for (const reuseblocks::PropertyDefault& preset : reuseblocks::kInitDefaults) {
        m_properties[preset.property] = preset.value;
    }
}

CString CReuseBlock::GetBlockSymbolName() const {
    const CString& path = m_properties[1];
    // A backslash wins over every forward slash, even one that stands after it.
    int separator = path.ReverseFind('\\');
    if (separator < 0) separator = path.ReverseFind('/');
    if (separator < 0) return path;
    return path.Mid(separator + 1);
}

std::uint32_t CReuseBlock::GetLayerMapCount() const {
    return static_cast<std::uint32_t>(m_layerMaps.size());
}

std::uint32_t CReuseBlock::NewLayerMap() {
    // Row indexes are 32-bit; more rows than they can address count as running out of memory.
    if (m_layerMaps.size() >= UINT32_MAX) throw std::bad_alloc();
    // Blocks typically carry up to eight rows: one allocation for them rather than growing 1, 2, 4.
    if (m_layerMaps.empty()) m_layerMaps.reserve(8);
    LayerMap* row = m_storage->rows.New();
    try {
        m_layerMaps.push_back(row);
    } catch (...) {
        DestroyRow(row);
        throw;
    }
    return static_cast<std::uint32_t>(m_layerMaps.size() - 1);
}

void CReuseBlock::RemoveLayerMap(std::uint32_t row) {
    if (row >= m_layerMaps.size()) return;
    LayerMap* removed = m_layerMaps[row];
    m_layerMaps.erase(m_layerMaps.begin() + row);
    DestroyRow(removed);
}

CReuseBlock::LayerMap& CReuseBlock::RowAt(std::uint32_t row) const {
    if (row >= m_layerMaps.size()) AfxThrowInvalidArgException();
    return *m_layerMaps[row];
}

CString& CReuseBlock::GetLayerMap(std::uint32_t row, std::uint32_t column) {
    return RowAt(row).columns[CheckedColumn(column)];
}

CString CReuseBlock::GetLayerMap(std::uint32_t row, std::uint32_t column) const {
    return RowAt(row).columns[CheckedColumn(column)];
}

const CString& CReuseBlock::GetLayerMapRef(std::uint32_t row, std::uint32_t column) const {
    return RowAt(row).columns[CheckedColumn(column)];
}
