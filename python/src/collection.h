// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_COLLECTION_H
#define REUSEBLOCKS_PYTHON_COLLECTION_H

// The collection behind a BlocksFile and the handles that Python holds on its blocks and rows.
// A handle never trusts its pointer: it asks the collection first whether the object is still
// the one it was made for, so a handle on a removed block raises StaleError instead of reading
// freed memory, also when a later block reuses the address.

#include <reuseblocks/reuseblocks.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace reuseblocks::python {

// Whether an operation only reads the collection or changes it; decides what may run while
// another thread loads or writes it with the interpreter lock released.
enum class Access { kRead, kChange };

class Collection {
  public:
    CReuseBlockFile& Blocks(Access access);
    std::size_t BlockCount() const { return m_blockCount; }

    // Counts every change to the set of blocks, so a walk can tell that it was overtaken.
    std::uint64_t BlockSetVersion() const { return m_blockSetVersion; }

    // The serial of a live block or row, given the first time a handle is made for it.
    std::uint64_t SerialOf(const void* object);
    bool IsCurrent(const void* object, std::uint64_t serial) const;

    // Every change to the set of blocks and rows goes through these, to keep the serials right.
    CReuseBlock* AddBlock(const char* id);
    bool RemoveBlock(const char* id);
    std::uint32_t AppendRow(CReuseBlock& block);
    void RemoveRow(CReuseBlock& block, std::uint32_t row);

    // Marks the collection as being loaded or written while the interpreter lock is released.
    class Busy {
      public:
        Busy(Collection& collection, Access access);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

        // Without the interpreter lock: the one thread allowed to use the collection now.
        CReuseBlockFile& Blocks() { return m_collection.m_blocks; }
        void RecountBlocks();

      private:
        Collection& m_collection;
        Access m_access;
    };

  private:
    CReuseBlockFile m_blocks;
    std::unordered_map<const void*, std::uint64_t> m_serials;
    std::uint64_t m_nextSerial = 1;
    std::uint64_t m_blockSetVersion = 0;
    std::size_t m_blockCount = 0;
    bool m_loading = false;
    int m_writers = 0;
};

// What a row is known by: its first column, whose address stays put while the row lives.
const void* RowIdentity(CReuseBlock& block, std::uint32_t row);

class BlockHandle {
  public:
    BlockHandle(std::shared_ptr<Collection> collection, CReuseBlock* block);

    // The block, or StaleError when it was removed.
    CReuseBlock& Get(Access access = Access::kRead) const;
    bool IsStale() const;
    const std::shared_ptr<Collection>& Owner() const { return m_collection; }
    const CReuseBlock* Address() const { return m_block; }
    bool operator==(const BlockHandle& other) const {
        return m_collection == other.m_collection && m_block == other.m_block &&
               m_serial == other.m_serial;
    }

  private:
    std::shared_ptr<Collection> m_collection;
    CReuseBlock* m_block;
    std::uint64_t m_serial;
};

class RowHandle {
  public:
    RowHandle(BlockHandle block, std::uint32_t row);

    // The row's present index, which moves when earlier rows are removed; StaleError when the
    // row or its block was removed.
    std::uint32_t Index(Access access = Access::kRead) const;
    const BlockHandle& Block() const { return m_block; }
    bool operator==(const RowHandle& other) const {
        return m_block == other.m_block && m_identity == other.m_identity &&
               m_serial == other.m_serial;
    }
    const void* Identity() const { return m_identity; }

  private:
    BlockHandle m_block;
    const void* m_identity;
    std::uint64_t m_serial;
    mutable std::uint32_t m_lastIndex;
};

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_COLLECTION_H
