// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_COLLECTION_H
#define REUSEBLOCKS_PYTHON_COLLECTION_H

// The collection behind a BlocksFile and the handles that Python holds on its blocks and rows.
// A handle holds a serial, never a pointer: the collection maps serials to the blocks and rows
// alive now, so a handle on a removed block raises StaleError instead of reading freed memory,
// and handles follow their blocks when a rename rebuilds the collection.

#include <reuseblocks/reuseblocks.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace reuseblocks::python {

// Whether an operation only reads the collection or changes it; decides what may run while
// another thread loads or writes it with the interpreter lock released.
enum class Access { kRead, kChange };

using RowValues = std::array<std::string, CReuseBlock::kLayerMapColumnCount>;

class Collection {
  public:
    Collection();

    CReuseBlockFile& Blocks(Access access);
    std::size_t BlockCount() const { return m_blockCount; }

    // Counts every change to the set of blocks, so a walk can tell that it was overtaken.
    std::uint64_t BlockSetVersion() const { return m_blockSetVersion; }

    // The serial of a live block, given the first time a handle is made for it, and back.
    std::uint64_t SerialOf(CReuseBlock& block);
    CReuseBlock* BlockOf(std::uint64_t serial) const;
    // The same for a row of a block that has a serial.
    std::uint64_t RowSerialOf(CReuseBlock& block, std::uint32_t row);
    std::optional<std::uint32_t> RowOf(CReuseBlock& block, std::uint64_t serial,
                                       std::uint32_t hint) const;

    // Every change to the set of blocks and rows goes through these, to keep the serials right.
    CReuseBlock* AddBlock(const char* id);
    bool RemoveBlock(const char* id);
    // Gives blocks new IDs (old -> new, each old one held, the new ones free once the old ones
    // are gone) keeping their order and their handles; the library cannot rekey a block, so
    // this builds the collection anew, in one pass.
    void Rename(const std::unordered_map<std::string, std::string>& renames);
    void InsertRow(CReuseBlock& block, std::uint32_t row, RowValues&& values);
    void RemoveRow(CReuseBlock& block, std::uint32_t row);

    // The file BlocksFile.open() read, as the file system's bytes, for write() with no path.
    const std::optional<std::string>& Origin() const { return m_origin; }
    void SetOrigin(std::string path) { m_origin = std::move(path); }

    // Marks the collection as being loaded or written while the interpreter lock is released.
    class Busy {
      public:
        Busy(Collection& collection, Access access);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

        // Without the interpreter lock: the one thread allowed to use the collection now.
        CReuseBlockFile& Blocks() { return *m_collection.m_blocks; }
        void RecountBlocks();

      private:
        Collection& m_collection;
        Access m_access;
    };

  private:
    struct Tracked {
        std::uint64_t serial = 0;
        // Row index -> serial (0 for none yet); kept only once a row handle was made.
        bool rowsTracked = false;
        std::vector<std::uint64_t> rows;
    };
    Tracked* TrackedOf(const CReuseBlock& block);
    const Tracked* TrackedOf(const CReuseBlock& block) const;

    std::unique_ptr<CReuseBlockFile> m_blocks;
    std::unordered_map<const CReuseBlock*, Tracked> m_tracked;
    std::unordered_map<std::uint64_t, CReuseBlock*> m_bySerial;
    std::uint64_t m_nextSerial = 1;
    std::uint64_t m_blockSetVersion = 0;
    std::size_t m_blockCount = 0;
    std::optional<std::string> m_origin;
    bool m_loading = false;
    int m_writers = 0;
};

class BlockHandle {
  public:
    BlockHandle(std::shared_ptr<Collection> collection, CReuseBlock& block);

    // The block, or StaleError when it was removed.
    CReuseBlock& Get(Access access = Access::kRead) const;
    bool IsStale() const { return m_collection->BlockOf(m_serial) == nullptr; }
    const std::shared_ptr<Collection>& Owner() const { return m_collection; }
    std::uint64_t Serial() const { return m_serial; }
    bool operator==(const BlockHandle& other) const {
        return m_collection == other.m_collection && m_serial == other.m_serial;
    }

  private:
    std::shared_ptr<Collection> m_collection;
    std::uint64_t m_serial;
};

class RowHandle {
  public:
    RowHandle(BlockHandle block, std::uint32_t row);

    // The row's present index, which moves when earlier rows are removed or inserted;
    // StaleError when the row or its block was removed.
    std::uint32_t Index(Access access = Access::kRead) const;
    const BlockHandle& Block() const { return m_block; }

  private:
    BlockHandle m_block;
    std::uint64_t m_serial;
    mutable std::uint32_t m_lastIndex;
};

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_COLLECTION_H
