// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H
#define REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H

#include <cstddef>

#include "platform/huge_page_allocator.h"

namespace reuseblocks::tool {

// The 1-based physical lines every block of a file and its layer maps were read from, in load
// order. A file's rows are recorded in one array rather than one per block: a large file has
// hundreds of thousands of blocks, and an allocation each would cost more than the lines.
class RecordLinesList {
  public:
    // A block defined at `definition`; the rows added after it are its own.
    void AddBlock(unsigned long definition) { m_blocks.push_back({definition, m_rows.size()}); }
    // A row of the block added last; none is recorded before the first block.
    void AddRow(unsigned long line) {
        if (!m_blocks.empty()) m_rows.push_back(line);
    }

    std::size_t size() const noexcept { return m_blocks.size(); }
    bool empty() const noexcept { return m_blocks.empty(); }
    void clear() noexcept {
        m_blocks.clear();
        m_rows.clear();
    }

    // The line of block `block`'s definition, and of its row `row`: 0 when there is none.
    unsigned long DefinitionOf(std::size_t block) const noexcept {
        return block < m_blocks.size() ? m_blocks[block].definition : 0;
    }
    unsigned long RowOf(std::size_t block, std::size_t row) const noexcept {
        if (block >= m_blocks.size() || row >= RowCountOf(block)) return 0;
        return m_rows[m_blocks[block].firstRow + row];
    }
    std::size_t RowCountOf(std::size_t block) const noexcept {
        if (block >= m_blocks.size()) return 0;
        const std::size_t end =
            block + 1 < m_blocks.size() ? m_blocks[block + 1].firstRow : m_rows.size();
        return end - m_blocks[block].firstRow;
    }

  private:
    struct Block {
        unsigned long definition;
        std::size_t firstRow;  // index in m_rows
    };
    detail::platform::HugePageVector<Block> m_blocks;
    detail::platform::HugePageVector<unsigned long> m_rows;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H
