// SPDX-License-Identifier: MIT
#include "collection.h"

#include <stdexcept>
#include <utility>

#include "errors.h"

namespace reuseblocks::python {

Collection::Collection() : m_blocks(std::make_unique<CReuseBlockFile>()) {}

CReuseBlockFile& Collection::Blocks(Access access) {
    if (m_loading || (access == Access::kChange && m_writers > 0)) RaiseBusy();
    return *m_blocks;
}

Collection::Tracked* Collection::TrackedOf(const CReuseBlock& block) {
    const auto entry = m_tracked.find(&block);
    return entry == m_tracked.end() ? nullptr : &entry->second;
}

const Collection::Tracked* Collection::TrackedOf(const CReuseBlock& block) const {
    const auto entry = m_tracked.find(&block);
    return entry == m_tracked.end() ? nullptr : &entry->second;
}

std::uint64_t Collection::SerialOf(CReuseBlock& block) {
    const auto [entry, added] = m_tracked.try_emplace(&block);
    if (added) {
        try {
            m_bySerial.emplace(m_nextSerial, &block);
        } catch (...) {
            m_tracked.erase(entry);
            throw;
        }
        entry->second.serial = m_nextSerial++;
    }
    return entry->second.serial;
}

CReuseBlock* Collection::BlockOf(std::uint64_t serial) const {
    const auto entry = m_bySerial.find(serial);
    return entry == m_bySerial.end() ? nullptr : entry->second;
}

std::uint64_t Collection::RowSerialOf(CReuseBlock& block, std::uint32_t row) {
    Tracked& tracked = m_tracked.at(&block);
    if (!tracked.rowsTracked) {
        tracked.rows.assign(block.GetLayerMapCount(), 0);
        tracked.rowsTracked = true;
    }
    std::uint64_t& serial = tracked.rows.at(row);
    if (serial == 0) serial = m_nextSerial++;
    return serial;
}

std::optional<std::uint32_t> Collection::RowOf(CReuseBlock& block, std::uint64_t serial,
                                               std::uint32_t hint) const {
    const Tracked* tracked = TrackedOf(block);
    if (tracked == nullptr || !tracked->rowsTracked) return std::nullopt;
    const std::vector<std::uint64_t>& rows = tracked->rows;
    if (hint < rows.size() && rows[hint] == serial) return hint;
    for (std::uint32_t row = 0; row < rows.size(); ++row) {
        if (rows[row] == serial) return row;
    }
    return std::nullopt;
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
    if (const Tracked* tracked = TrackedOf(*block)) {
        m_bySerial.erase(tracked->serial);
        m_tracked.erase(block);
    }
    m_blocks->RemoveBlock(id);
    --m_blockCount;
    ++m_blockSetVersion;
    return true;
}

void Collection::Rename(const std::unordered_map<std::string, std::string>& renames) {
    CReuseBlockFile& blocks = Blocks(Access::kChange);
    // Everything is built aside, so that running out of memory leaves the collection as it was.
    auto rebuilt = std::make_unique<CReuseBlockFile>();
    std::unordered_map<const CReuseBlock*, Tracked> tracked;
    std::unordered_map<std::uint64_t, CReuseBlock*> bySerial;
    tracked.reserve(m_tracked.size());
    bySerial.reserve(m_bySerial.size());
    for (POSITION position = blocks.GetStartPosition(); position;) {
        CReuseBlock& block = *blocks.GetNext(position);
        const std::string id(block.GetBlockID().GetView());
        const auto renamed = renames.find(id);
        CReuseBlock* copy =
            rebuilt->NewBlock(renamed == renames.end() ? id.c_str() : renamed->second.c_str());
        if (copy == nullptr) throw std::runtime_error("two blocks of the BlocksFile share an ID");
        for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
            copy->GetProperty(index) = block.GetProperty(index);
        }
        for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
            const std::uint32_t added = copy->NewLayerMap();
            for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
                copy->GetLayerMap(added, column) = block.GetLayerMap(row, column);
            }
        }
        if (const Tracked* entry = TrackedOf(block)) {
            tracked.emplace(copy, *entry);
            bySerial.emplace(entry->serial, copy);
        }
    }
    m_blocks.swap(rebuilt);
    m_tracked.swap(tracked);
    m_bySerial.swap(bySerial);
    ++m_blockSetVersion;
}

void Collection::InsertRow(CReuseBlock& block, std::uint32_t row, RowValues&& values) {
    Blocks(Access::kChange);
    // Whatever may run out of memory runs first, so that a failure leaves the rows as they were.
    std::array<CString, CReuseBlock::kLayerMapColumnCount> texts;
    for (std::uint32_t column = 0; column < texts.size(); ++column) {
        texts[column] = CString(std::move(values[column]));
    }
    Tracked* tracked = TrackedOf(block);
    if (tracked != nullptr && tracked->rowsTracked) tracked->rows.reserve(tracked->rows.size() + 1);
    // The library only appends: the rows from `row` on move down one place.
    std::uint32_t moved = block.NewLayerMap();
    for (; moved > row; --moved) {
        for (std::uint32_t column = 0; column < texts.size(); ++column) {
            block.GetLayerMap(moved, column) = std::move(block.GetLayerMap(moved - 1, column));
        }
    }
    for (std::uint32_t column = 0; column < texts.size(); ++column) {
        block.GetLayerMap(row, column) = std::move(texts[column]);
    }
    if (tracked != nullptr && tracked->rowsTracked) {
        tracked->rows.insert(tracked->rows.begin() + row, 0);
    }
}

void Collection::RemoveRow(CReuseBlock& block, std::uint32_t row) {
    Blocks(Access::kChange);
    Tracked* tracked = TrackedOf(block);
    if (tracked != nullptr && tracked->rowsTracked)
        tracked->rows.erase(tracked->rows.begin() + row);
    block.RemoveLayerMap(row);
}

// A load adds blocks that the binding does not see one by one.
void Collection::Busy::RecountBlocks() {
    const CReuseBlockFile& blocks = *m_collection.m_blocks;
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

BlockHandle::BlockHandle(std::shared_ptr<Collection> collection, CReuseBlock& block)
    : m_collection(std::move(collection)), m_serial(m_collection->SerialOf(block)) {}

CReuseBlock& BlockHandle::Get(Access access) const {
    m_collection->Blocks(access);
    CReuseBlock* block = m_collection->BlockOf(m_serial);
    if (block == nullptr) RaiseStale("the block was removed from its BlocksFile");
    return *block;
}

RowHandle::RowHandle(BlockHandle block, std::uint32_t row)
    : m_block(std::move(block)),
      m_serial(m_block.Owner()->RowSerialOf(m_block.Get(), row)),
      m_lastIndex(row) {}

std::uint32_t RowHandle::Index(Access access) const {
    CReuseBlock& block = m_block.Get(access);
    const auto row = m_block.Owner()->RowOf(block, m_serial, m_lastIndex);
    if (!row) RaiseStale("the layer-map row was removed from its block");
    return m_lastIndex = *row;
}

}  // namespace reuseblocks::python
