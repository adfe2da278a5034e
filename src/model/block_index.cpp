// SPDX-License-Identifier: MIT
#include "model/block_index.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "host/keyed_hash.h"
#include "platform/prefetch.h"

namespace reuseblocks::detail {

struct BlockIndex::Entry {
    static constexpr std::size_t kInlineKey = 20;

    CReuseBlock* block;  // null while the entry is free
    Position prev;
    Position next;
    std::uint32_t size;
    // The key itself when it fits, otherwise the address of its copy on the heap.
    char key[kInlineKey];
    static_assert(sizeof(char*) <= kInlineKey);

    bool Inline() const noexcept { return size <= kInlineKey; }
    char* HeapKey() const noexcept {
        char* heap;
        std::memcpy(&heap, key, sizeof heap);
        return heap;
    }
};

BlockIndex::BlockIndex() noexcept : m_hash(ProcessHashKey()) {}

BlockIndex::~BlockIndex() {
    for (Position position = m_head; position;) {
        const Entry& entry = At(position);
        if (!entry.Inline()) delete[] entry.HeapKey();
        position = entry.next;
    }
}

BlockIndex::Entry& BlockIndex::At(Position position) const noexcept {
    static_assert(sizeof(Entry) == 40, "no padding: five entries to three cache lines");
    const std::uint32_t number = position - 1;
    return m_chunks[number >> kChunkShift][number & (kChunkEntries - 1)];
}

std::string_view BlockIndex::KeyOf(const Entry& entry) noexcept {
    return std::string_view(entry.Inline() ? entry.key : entry.HeapKey(), entry.size);
}

std::size_t BlockIndex::Probe(std::string_view key, std::uint32_t hash,
                              bool& found) const noexcept {
    const std::size_t mask = m_capacity - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t value = m_slots[slot];
        found = value != 0;
        if (!found) return slot;
        if (static_cast<std::uint32_t>(value >> 32) == hash &&
            KeyOf(At(static_cast<Position>(value))) == key) {
            return slot;
        }
    }
}

CReuseBlock* BlockIndex::Find(std::string_view key, std::uint32_t hash) const noexcept {
    if (m_count == 0) return nullptr;
    bool found = false;
    const std::size_t slot = Probe(key, hash, found);
    return found ? At(static_cast<Position>(m_slots[slot])).block : nullptr;
}

void BlockIndex::Prefetch(std::uint32_t hash) const noexcept {
    if (m_capacity != 0) detail::Prefetch(&m_slots[hash & (m_capacity - 1)]);
}

bool BlockIndex::Add(std::string_view key, std::uint32_t hash, CReuseBlock* block) {
    // Grown first: if that throws, nothing has been added.
    if ((m_count + 1) * 4 > m_capacity * 3) Rehash(m_capacity == 0 ? 16 : m_capacity * 2);
    bool found = false;
    const std::size_t slot = Probe(key, hash, found);
    if (found) return false;
    const Position position = NewEntry(key);
    Entry& entry = At(position);
    entry.block = block;
    entry.prev = m_tail;
    entry.next = 0;
    (m_tail ? At(m_tail).next : m_head) = position;
    m_tail = position;
    m_slots[slot] = (std::uint64_t{hash} << 32) | position;
    ++m_count;
    return true;
}

// A free entry holding a copy of `key`, not yet linked anywhere.
BlockIndex::Position BlockIndex::NewEntry(std::string_view key) {
    char* heap = HeapCopy(key);
    Position position = m_free;
    try {
        if (position == 0) {
            // Positions are 32-bit and 0 is none; more entries count as running out of memory.
            if (m_used == std::numeric_limits<std::uint32_t>::max() - 1) throw std::bad_alloc();
            if ((m_used >> kChunkShift) == m_chunks.size()) AddChunk();
            position = ++m_used;
        }
    } catch (...) {
        delete[] heap;
        throw;
    }
    Entry& entry = At(position);
    if (position == m_free) m_free = entry.next;
    StoreKey(entry, key, heap);
    return position;
}

char* BlockIndex::HeapCopy(std::string_view key) {
    if (key.size() <= Entry::kInlineKey) return nullptr;
    if (key.size() > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
    char* heap = new char[key.size()];
    std::memcpy(heap, key.data(), key.size());
    return heap;
}

void BlockIndex::StoreKey(Entry& entry, std::string_view key, char* heap) noexcept {
    entry.size = static_cast<std::uint32_t>(key.size());
    if (heap) {
        std::memcpy(entry.key, &heap, sizeof heap);
    } else if (!key.empty()) {
        std::memcpy(entry.key, key.data(), key.size());
    }
}

// Entries are left unset, so that their pages are touched only as entries are taken.
void BlockIndex::AddChunk() {
    m_chunks.reserve(m_chunks.size() + 1);
    if (m_chunks.size() < kSmallChunks) {
        m_smallChunks.reserve(m_smallChunks.size() + 1);
        m_smallChunks.emplace_back(new Entry[kChunkEntries]);
        m_chunks.push_back(m_smallChunks.back().get());
        return;
    }
    const std::size_t onHugePages = m_chunks.size() - kSmallChunks;
    if (onHugePages % kChunksOnHugePages == 0) {
        m_largeChunks.reserve(m_largeChunks.size() + 1);
        m_largeChunks.emplace_back(kChunksOnHugePages * kChunkEntries * sizeof(Entry));
    }
    Entry* const first = static_cast<Entry*>(m_largeChunks.back().Get());
    m_chunks.push_back(first + (onHugePages % kChunksOnHugePages) * kChunkEntries);
}

CReuseBlock* BlockIndex::Remove(std::string_view key, std::uint32_t hash) noexcept {
    if (m_count == 0) return nullptr;
    bool found = false;
    const std::size_t slot = Probe(key, hash, found);
    if (!found) return nullptr;
    const Position position = static_cast<Position>(m_slots[slot]);
    EraseSlot(slot);
    --m_count;

    Entry& entry = At(position);
    (entry.prev ? At(entry.prev).next : m_head) = entry.next;
    (entry.next ? At(entry.next).prev : m_tail) = entry.prev;
    if (!entry.Inline()) delete[] entry.HeapKey();
    CReuseBlock* block = entry.block;
    entry.block = nullptr;
    entry.size = 0;
    entry.next = m_free;
    m_free = position;
    return block;
}

void BlockIndex::EraseSlot(std::size_t hole) noexcept {
    // Close the gap so that no probe sequence runs into an empty slot before its key.
    const std::size_t mask = m_capacity - 1;
    for (std::size_t next = (hole + 1) & mask; m_slots[next] != 0; next = (next + 1) & mask) {
        const std::size_t home = static_cast<std::uint32_t>(m_slots[next] >> 32) & mask;
        const bool movable =
            hole <= next ? (home <= hole || home > next) : (home <= hole && home > next);
        if (movable) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = 0;
}

bool BlockIndex::Rename(std::string_view oldKey, std::uint32_t oldHash, std::string_view newKey,
                        std::uint32_t newHash) {
    if (m_count == 0) return false;
    bool found = false;
    const std::size_t oldSlot = Probe(oldKey, oldHash, found);
    if (!found) return false;
    bool taken = false;
    Probe(newKey, newHash, taken);
    if (taken) return false;
    // The only step that can fail comes first. The count does not change, so the table needs no
    // room: the slot freed is taken again.
    char* heap = HeapCopy(newKey);
    const Position position = static_cast<Position>(m_slots[oldSlot]);
    EraseSlot(oldSlot);
    const std::size_t newSlot = Probe(newKey, newHash, taken);
    m_slots[newSlot] = (std::uint64_t{newHash} << 32) | position;
    Entry& entry = At(position);
    if (!entry.Inline()) delete[] entry.HeapKey();
    StoreKey(entry, newKey, heap);
    return true;
}

bool BlockIndex::KeyOfBlock(const CReuseBlock* block, std::string_view likely,
                            std::string_view& key) const noexcept {
    if (!block || m_count == 0) return false;
    bool found = false;
    const std::size_t slot = Probe(likely, Hash(likely), found);
    if (found && At(static_cast<Position>(m_slots[slot])).block == block) {
        key = KeyOf(At(static_cast<Position>(m_slots[slot])));
        return true;
    }
    for (Position position = m_head; position; position = At(position).next) {
        if (At(position).block == block) {
            key = KeyOf(At(position));
            return true;
        }
    }
    return false;
}

CReuseBlock* BlockIndex::Next(Position& position) const noexcept {
    if (position == 0 || position > m_used) {
        position = 0;
        return nullptr;
    }
    const Entry& entry = At(position);
    position = entry.block ? entry.next : 0;
    return entry.block;
}

std::string_view BlockIndex::KeyAt(Position position) const noexcept {
    return KeyOf(At(position));
}

void BlockIndex::Rehash(std::size_t capacity) {
    // Slot positions are taken from 32 bits of the hash.
    if (static_cast<std::uint64_t>(capacity) > (std::uint64_t{1} << 32)) throw std::bad_alloc();
    // Tables of a huge page or more go on huge pages, where random probes miss the TLB less and
    // the table faults in at once instead of 4 KiB at a time.
    const std::size_t bytes = capacity * sizeof(std::uint64_t);
    std::unique_ptr<std::uint64_t[]> small;
    platform::HugePageMemory large;
    std::uint64_t* slots;
    if (bytes >= platform::kHugePageBytes) {
        large = platform::HugePageMemory(bytes);
        slots = static_cast<std::uint64_t*>(large.Get());
    } else {
        small.reset(new std::uint64_t[capacity]);
        slots = small.get();
    }
    std::memset(slots, 0, bytes);
    const std::size_t mask = capacity - 1;
    for (std::size_t old = 0; old < m_capacity; ++old) {
        const std::uint64_t value = m_slots[old];
        if (value == 0) continue;
        std::size_t slot = static_cast<std::uint32_t>(value >> 32) & mask;
        while (slots[slot] != 0) slot = (slot + 1) & mask;
        slots[slot] = value;
    }
    m_smallSlots = std::move(small);
    m_largeSlots = std::move(large);
    m_slots = slots;
    m_capacity = capacity;
}

}  // namespace reuseblocks::detail
