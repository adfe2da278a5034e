// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_MODEL_BLOCK_INDEX_H
#define REUSEBLOCKS_MODEL_BLOCK_INDEX_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "host/index_hash.h"
#include "platform/huge_page_memory.h"

class CReuseBlock;

namespace reuseblocks::detail {

// A collection's blocks by the ID each was added under, in the order they were added; removing
// one keeps the order of the others. Keys are hashed under the process's secret key (IndexHash),
// so that no file can be made of IDs that pile up in one place.
//
// A lookup reads two cache lines: an 8-byte slot holding the hash, then the entry it names,
// which holds keys of up to 20 bytes itself. Entries are numbered and carved from chunks,
// so slots and the walk order link them by 32-bit number instead of by pointer.
class BlockIndex {
  public:
    // A place in the walk: the entry's number plus one, 0 past the last entry.
    using Position = std::uint32_t;

    BlockIndex() noexcept;
    ~BlockIndex();
    BlockIndex(const BlockIndex&) = delete;
    BlockIndex& operator=(const BlockIndex&) = delete;

    std::uint32_t Hash(std::string_view key) const noexcept {
        return m_hash(reinterpret_cast<const unsigned char*>(key.data()), key.size());
    }
    std::size_t Count() const noexcept { return m_count; }

    // The block held under `key`, whose Hash is `hash`; null when there is none.
    CReuseBlock* Find(std::string_view key, std::uint32_t hash) const noexcept;
    // Adds `block` under `key` unless that key is held already: true when added. Throws
    // std::bad_alloc, having added nothing, when memory runs out.
    bool Add(std::string_view key, std::uint32_t hash, CReuseBlock* block);
    // Removes the entry of `key` and returns its block; null when there is none.
    CReuseBlock* Remove(std::string_view key, std::uint32_t hash) noexcept;
    // The entry of `oldKey` is held under `newKey` from now on, at its place in the walk: true
    // when renamed; false when `oldKey` is not held or `newKey` is. Throws std::bad_alloc, having
    // changed nothing, when memory runs out.
    bool Rename(std::string_view oldKey, std::uint32_t oldHash, std::string_view newKey,
                std::uint32_t newHash);
    // The key `block` is held under, looked up first as `likely` (the block's ID, which is its key
    // unless property 0 was set), then through the walk. False when the index does not hold it. The
    // key is the index's own copy, valid until its entry is renamed or removed.
    bool KeyOfBlock(const CReuseBlock* block, std::string_view likely,
                    std::string_view& key) const noexcept;

    // Asks the cache for the slot where a lookup of `hash` starts, ahead of that lookup.
    void Prefetch(std::uint32_t hash) const noexcept;

    Position First() const noexcept { return m_head; }
    // The block at `position`, which moves on to the next one. A position that names no entry
    // gives null and ends the walk.
    CReuseBlock* Next(Position& position) const noexcept;
    // The key of the entry at `position`, which must name one.
    std::string_view KeyAt(Position position) const noexcept;

  private:
    struct Entry;
    static constexpr unsigned kChunkShift = 12;
    static constexpr std::size_t kChunkEntries = std::size_t{1} << kChunkShift;
    // Chunks from the ninth on are carved, this many at a time, from memory on huge pages: five
    // whole ones for 40-byte entries.
    static constexpr std::size_t kSmallChunks = 8;
    static constexpr std::size_t kChunksOnHugePages = 64;

    Entry& At(Position position) const noexcept;
    static std::string_view KeyOf(const Entry& entry) noexcept;
    // The slot holding `key`, or the empty one where a search for it ends.
    std::size_t Probe(std::string_view key, std::uint32_t hash, bool& found) const noexcept;
    // Empties `hole`, moving later slots of its run back so that every probe still finds them.
    void EraseSlot(std::size_t hole) noexcept;
    // A heap copy of a key too long for an entry, null for one that fits.
    static char* HeapCopy(std::string_view key);
    static void StoreKey(Entry& entry, std::string_view key, char* heap) noexcept;
    Position NewEntry(std::string_view key);
    void AddChunk();
    void Rehash(std::size_t capacity);

    IndexHash m_hash;
    // Open addressing with linear probing, at most three quarters full. A slot is 0 when empty,
    // otherwise its key's hash in the high half and the entry's position in the low.
    std::uint64_t* m_slots = nullptr;
    std::size_t m_capacity = 0;  // a power of two, or 0 before the first entry
    std::unique_ptr<std::uint64_t[]> m_smallSlots;
    platform::HugePageMemory m_largeSlots;
    std::size_t m_count = 0;
    std::vector<Entry*> m_chunks;
    std::vector<std::unique_ptr<Entry[]>> m_smallChunks;
    std::vector<platform::HugePageMemory> m_largeChunks;
    std::uint32_t m_used = 0;  // entries ever carved from the chunks
    Position m_free = 0;       // removed entries, linked through `next`
    Position m_head = 0;
    Position m_tail = 0;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_BLOCK_INDEX_H
