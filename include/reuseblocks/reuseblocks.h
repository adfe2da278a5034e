// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_REUSEBLOCKS_H
#define REUSEBLOCKS_REUSEBLOCKS_H

// The one header a host includes: the design-reuse block record, the collection of the blocks
// of one blocks file ("PCB_BLOCKS FILE FORMAT 2.0"), and the string and collection types that
// cross their interface.
//
// What a host may count on, for this header, reuseblocks/diagnostics.h and the host types alike:
//
// Threads. Collections share nothing but the hash key every CMapStringToPtr uses, taken once per
// process under the C++ rules for a static local. Different objects (collections, strings, host
// collections) may be used on different threads at the same time. One object may be read on
// several threads at once as long as no thread changes it: for a CReuseBlockFile, reading means
// its const members, GetBlock, GetBlocksIDs, WriteFile, WriteFileWithReport and
// FindRoundTripProblems, and the const members of its blocks; anything else needs the object to
// itself. Collate and CollateNoCase read the C locale, which a concurrent setlocale changes under
// them.
//
// Memory. Any call that allocates may throw std::bad_alloc: NewBlock, SetProperty, assigning to
// a property or column, NewLayerMap, the const GetProperty and GetLayerMap (they copy),
// GetBlocksIDs, LoadFile, LoadFileWithReport, WriteFile, WriteFileWithReport,
// FindRoundTripProblems, and the host types' members that build or grow text or containers. The
// call then has had no effect, with two exceptions: LoadFile keeps the blocks accepted before the
// failure, as it does before a rejected line, and WriteFile and WriteFileWithReport leave their
// target file as it was. Text longer than an int can count is reported the same way. Nothing else
// throws, apart from CInvalidArgException for an index out of range (see each member). GetBlock,
// the walk, GetCount, RemoveBlock, RemoveAll, GetBlockID, the Ref accessors and every destructor do
// not allocate.
//
// Pointers and references. A CReuseBlock* and every reference into its block (GetBlockID,
// GetProperty, GetPropertyRef) stay valid until that block is removed: by RemoveBlock of its
// key, by RemoveAll, or with the collection. A layer-map column's reference lasts until its row
// is removed, too. LoadFile only ever adds, whether it succeeds or not: what was handed out
// before stays valid, and so do the blocks it accepted before a failure. A POSITION of the
// collection's walk follows the rules at GetNext, and RemoveAll leaves every one dangling.
//
// errno. LoadFile, LoadFileWithReport, WriteFile and WriteFileWithReport call the system and may
// leave errno changed whatever they return; it tells nothing about their result
// (LoadFileWithReport and WriteFileWithReport say why a load or a write failed). CString::Format
// and AppendFormat may set it as vsnprintf does, and a call that throws std::bad_alloc may have set
// it on the way. Nothing else touches it.

#include "reuseblocks/version.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "reuseblocks/export.h"
#include "reuseblocks/fields.h"
#include "reuseblocks/host_types.h"

namespace reuseblocks {
namespace detail {
class BlocksFileLoader;
struct BlocksFileWriter;
class OutputFile;
struct BlockStorage;
struct RepeatedIDs;
}  // namespace detail
}  // namespace reuseblocks

class CReuseBlockFile;

// Building a host with MSVC against the DLL. The exported classes below hold standard-library
// members (std::array, std::vector, std::unique_ptr and the header-only types), for which MSVC
// warns (C4251) that they have no DLL interface. They need none: they are private, and only the
// library's own code, never inline code in this header, works on them. What a host must share
// with the library is their layout, and that asks for:
//   - the same compiler family (MSVC with MSVC, MinGW-w64 with MinGW-w64): the classes are C++;
//   - the same C++ standard library and the same _ITERATOR_DEBUG_LEVEL, that is a release host
//     with a release DLL and a debug host with a debug DLL;
//   - for CStringArray (GetBlocksIDs) and for reuseblocks/diagnostics.h, whose std::string and
//     std::vector change hands, also the same C runtime DLL (/MD).
// CString alone may cross between any C runtimes: its heap storage always comes from, and goes
// back to, the library.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4251)
#endif

// One reuse block: twelve text properties (the fields of its definition line) and an ordered
// list of layer maps, each a row of four text columns. Blocks are created and destroyed only by
// their CReuseBlockFile; the host works through the pointers the collection hands out. Values
// are opaque text: nothing is parsed or validated.
//
// Property indexes: 0 BLOCK_HIER_NAME (the block ID), 1 BLOCK_PATH, 2 BLOCK_TYPE, 3 BLOCK_STATUS,
// 4 XLOC, 5 YLOC, 6 SIDE, 7 ROTATION, 8 UNITS, 9 INT_XLOC, 10 INT_YLOC, 11 QOR_STATUS.
// Layer-map columns: 0 BLOCK_LAYER_ORDER, 1 BLOCK_LAYER_NAME, 2 DESIGN_ORDER, 3 DESIGN_LAYER_NAME.
// reuseblocks/fields.h names them (reuseblocks::kXLoc, reuseblocks::kDesignOrder), and its names
// go wherever an index does.
//
// An index out of range throws CInvalidArgException and changes nothing, except in
// RemoveLayerMap, which ignores it.
class REUSEBLOCKS_API CReuseBlock {
  public:
    static constexpr std::uint32_t kPropertyCount = reuseblocks::kPropertyCount;
    static constexpr std::uint32_t kLayerMapColumnCount = reuseblocks::kLayerMapColumnCount;

    CReuseBlock(const CReuseBlock&) = delete;
    CReuseBlock& operator=(const CReuseBlock&) = delete;

    // Property 0. The reference stays valid for the block's whole life.
    const CString& GetBlockID() const;

    // Property `index` (0 to 11), to read or change in place; valid for the block's whole life.
    CString& GetProperty(std::uint32_t index);
    // A copy: `const char* p = constBlock->GetProperty(1);` points into a temporary that is gone
    // at the semicolon. GetPropertyRef gives the property itself.
    CString GetProperty(std::uint32_t index) const;
    // Property `index` (0 to 11) to read, valid for the block's whole life.
    const CString& GetPropertyRef(std::uint32_t index) const;
    // Property `index` becomes a copy of `value`; a null value stores "". Changing property 0
    // renames the block in written files, not its key in the collection; WriteFile refuses a
    // collection in which two blocks would be written under one ID.
    void SetProperty(std::uint32_t index, const char* value);

    // Sets BLOCK_TYPE "Smashed", BLOCK_STATUS "Unplaced" and QOR_STATUS "Unprocessed"; nothing
    // else changes.
    void Init();

    // The last component of BLOCK_PATH: after the last backslash if there is one, otherwise after
    // the last forward slash, otherwise the whole path.
    CString GetBlockSymbolName() const;

    std::uint32_t GetLayerMapCount() const;
    // Appends a row of four empty columns and returns its row index.
    std::uint32_t NewLayerMap();
    // Removes a row; later rows move down by one. A row out of range is ignored.
    void RemoveLayerMap(std::uint32_t row);
    // Column `column` (0 to 3) of row `row`. The reference stays valid until that row is removed,
    // whatever happens to other rows.
    CString& GetLayerMap(std::uint32_t row, std::uint32_t column);
    // A copy, as the const GetProperty is; GetLayerMapRef gives the column itself, valid as long
    // as the non-const GetLayerMap's reference is.
    CString GetLayerMap(std::uint32_t row, std::uint32_t column) const;
    const CString& GetLayerMapRef(std::uint32_t row, std::uint32_t column) const;

  private:
    friend class CReuseBlockFile;
    friend class reuseblocks::detail::BlocksFileLoader;
    friend struct reuseblocks::detail::BlockStorage;

    struct LayerMap;

    explicit CReuseBlock(reuseblocks::detail::BlockStorage& storage) noexcept;
    virtual ~CReuseBlock();

    LayerMap& RowAt(std::uint32_t row) const;
    void DestroyRow(LayerMap* row) noexcept;

    std::array<CString, kPropertyCount> m_properties;
    // Each row is an object of its own, so references into it survive other rows' changes.
    std::vector<LayerMap*> m_layerMaps;
    // Where the rows' memory comes from: the collection's, which outlives the block.
    reuseblocks::detail::BlockStorage* m_storage;
};

// The blocks of one blocks file, keyed by the name each block was created under. Walks,
// GetBlocksIDs and written files list the blocks in the order they were created or loaded.
class REUSEBLOCKS_API CReuseBlockFile {
  public:
    CReuseBlockFile();
    virtual ~CReuseBlockFile();
    CReuseBlockFile(const CReuseBlockFile&) = delete;
    CReuseBlockFile& operator=(const CReuseBlockFile&) = delete;

    // A new block whose property 0 is `name` and whose other properties are empty (call Init for
    // the defaults). Null when the name is already in use or is null.
    CReuseBlock* NewBlock(const char* name);
    // 1 and `block` written when a block is held under `name`; otherwise 0, `block` untouched.
    int GetBlock(const char* name, CReuseBlock*& block);
    // 1 when the block held under `name` has been removed and destroyed; 0 when there is none.
    int RemoveBlock(const char* name);
    // The number of blocks held.
    int GetCount() const;
    // Removes and destroys every block, and gives back the memory they used.
    void RemoveAll() noexcept;

    // Null when the collection is empty; pass it to GetNext until it becomes null again.
    POSITION GetStartPosition() const;
    // The block at `position`, which moves on to the next block (null after the last one).
    // A null position gives null.
    //
    // While walking, removing the block just returned is safe, and so is adding blocks (a walk
    // that has not ended reaches them last). Removing the block after it, the one `position` now
    // names, leaves `position` dangling: the next GetNext reads freed memory. To remove other
    // blocks, collect their IDs first (GetBlocksIDs, or during the walk) and remove them after it.
    CReuseBlock* GetNext(POSITION& position) const;

    // Resizes `ids` to the number of blocks and fills it with their keys in walk order: 1. On an
    // empty collection returns 0 and leaves `ids` as it was.
    int GetBlocksIDs(CStringArray& ids);

    // Reads a blocks file and adds its blocks to those already held. Returns 0 when every line
    // was accepted, otherwise the code of the first rejected line, after which nothing more is
    // read; what was accepted before it stays:
    //   -1 the file cannot be opened or read,
    //   -2 a definition line has fewer than twelve fields,
    //   -3 a definition line's ID is already held,
    //   -4 a mapping line names another block than the one defined last,
    //   -5 a mapping line has fewer than six fields.
    // reuseblocks/diagnostics.h tells the line and the reason as well. A FIFO is read as cat
    // reads it: LoadFile waits for its writer; a signal the host handles ends the wait with -1.
    int LoadFile(const char* path);

    // Writes every block, after a header naming `appName` ("Unknown" when null or empty). 1 when
    // the whole file was written; 0 when anything failed, in which case an existing regular file
    // at `fileName` is left as it was. A line feed or carriage return in any value or in
    // `appName`, or two blocks whose property 0 is the same (see SetProperty), gives 0 before
    // anything is written: such a file would not read back. reuseblocks/diagnostics.h tells the
    // failed step, the system's error and the value at fault as well.
    int WriteFile(const char* fileName, const char* appName);

  private:
    friend class reuseblocks::detail::BlocksFileLoader;
    friend struct reuseblocks::detail::BlocksFileWriter;
    friend struct reuseblocks::detail::RepeatedIDs;

    void WriteHeader(reuseblocks::detail::OutputFile& out, const char* appName) const;
    void WriteBlock(reuseblocks::detail::OutputFile& out, const CReuseBlock* block) const;

    // A new empty block in this collection's storage, not yet in the index.
    CReuseBlock* CreateBlock();
    void DestroyBlock(CReuseBlock* block) noexcept;

    // Unused (the index lives in m_storage); removing it would change the class's size and layout.
    CMapStringToPtr m_blockIndex;
    // The blocks, their rows and their index. Made with the first block, so that an empty
    // collection allocates nothing.
    std::unique_ptr<reuseblocks::detail::BlockStorage> m_storage;
};

#if defined(_MSC_VER)
#pragma warning(pop)
#endif

#endif  // REUSEBLOCKS_REUSEBLOCKS_H
