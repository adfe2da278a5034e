// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_MODEL_OBJECT_POOL_H
#define REUSEBLOCKS_MODEL_OBJECT_POOL_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "model/memory_marks.h"
#include "platform/huge_page_memory.h"
#include "platform/memory_advice.h"

namespace reuseblocks::detail {

// Large chunks that objects of a few kinds are carved from, one after the other. A loaded design
// holds hundreds of thousands of blocks and millions of layer-map rows: one malloc each, with its
// header, and a page fault for every fresh 4 KiB, cost more than the parsing itself. Chunks are
// offered to the kernel for huge pages where it supports that; blocks and rows share them, so
// that only one huge page at a time is partly used.
//
// Memory not handed out is marked as inaccessible for AddressSanitizer and valgrind. An arena
// serves one thread at a time. A load on several threads gives each its own, and the
// collection's arena adopts them when the load ends.
class ChunkArena {
  public:
    static constexpr std::size_t kAlignment = 8;

    ChunkArena() = default;
    ChunkArena(const ChunkArena&) = delete;
    ChunkArena& operator=(const ChunkArena&) = delete;
    ~ChunkArena() {
        while (m_chunks) {
            Chunk* next = m_chunks->next;
            const std::size_t bytes = m_chunks->bytes;
            MarkUndefined(m_chunks, bytes);  // the allocator's own again
            ::operator delete(m_chunks);
            m_chunks = next;
        }
    }

    // `bytes`, a multiple of kAlignment, still marked inaccessible; throws std::bad_alloc and
    // changes nothing when there is no memory.
    void* Carve(std::size_t bytes) {
        if (static_cast<std::size_t>(m_end - m_next) < bytes) AddChunk(bytes);
        void* memory = m_next;
        m_next += bytes;
        return memory;
    }

    // Takes over every chunk of `other`, which is left empty. What `other` had not carved yet
    // stays unused: that memory was never touched, so it costs none.
    void Adopt(ChunkArena& other) noexcept {
        if (other.m_chunks) {
            Chunk* last = other.m_chunks;
            while (last->next) last = last->next;
            last->next = m_chunks;
            m_chunks = other.m_chunks;
        }
        if (other.m_chunkBytes > m_chunkBytes) m_chunkBytes = other.m_chunkBytes;
        other.m_chunks = nullptr;
        other.m_next = other.m_end = nullptr;
        other.m_chunkBytes = kFirstChunkBytes;
    }

  private:
    // At the start of every chunk, linking them, so that adopting chunks allocates nothing.
    struct Chunk {
        Chunk* next;
        std::size_t bytes;
    };

    // Chunks grow fourfold from small, so that a collection of a few blocks stays small, to the
    // size of four huge pages, where a big collection spends nearly all of its memory.
    static constexpr std::size_t kFirstChunkBytes = std::size_t{64} << 10;
    static constexpr std::size_t kLastChunkBytes = 4 * platform::kHugePageBytes;

    void AddChunk(std::size_t atLeast) {
        // Large chunks get a huge page's worth of slack, so that the part in use can start on a
        // huge-page boundary: the slack before it is never touched and so costs no memory.
        while (m_chunkBytes < atLeast) m_chunkBytes *= 2;
        const bool huge = m_chunkBytes >= kLastChunkBytes;
        const std::size_t bytes =
            m_chunkBytes + sizeof(Chunk) + (huge ? platform::kHugePageBytes : kAlignment);
        void* memory = ::operator new(bytes);
        MarkNoAccess(memory, bytes);
        MarkUndefined(memory, sizeof(Chunk));
        m_chunks = ::new (memory) Chunk{m_chunks, bytes};
        auto begin = reinterpret_cast<std::uintptr_t>(memory) + sizeof(Chunk);
        const std::uintptr_t alignment = huge ? platform::kHugePageBytes : kAlignment;
        begin = (begin + alignment - 1) & ~(alignment - 1);
        if (huge) platform::OfferHugePages(reinterpret_cast<void*>(begin), m_chunkBytes);
        m_next = reinterpret_cast<char*>(begin);
        m_end = m_next + m_chunkBytes;
        if (!huge)
            m_chunkBytes =
                m_chunkBytes * 4 < platform::kHugePageBytes ? m_chunkBytes * 4 : kLastChunkBytes;
    }

    Chunk* m_chunks = nullptr;
    std::size_t m_chunkBytes = kFirstChunkBytes;
    char* m_next = nullptr;
    char* m_end = nullptr;
};

// Objects of one type carved from an arena and recycled through a free list. Objects are
// constructed and destroyed by the owner of the pool; the pool only hands out and takes back
// their memory. Free slots are marked as inaccessible for AddressSanitizer and valgrind, so that
// a host writing through a pointer to a removed block or row is reported at that write.
template <typename T>
class ObjectPool {
  public:
    explicit ObjectPool(ChunkArena& arena) noexcept : m_arena(arena) {}
    ObjectPool(const ObjectPool&) = delete;
    ObjectPool& operator=(const ObjectPool&) = delete;

    // Memory for one T; throws std::bad_alloc and changes nothing when there is none.
    void* Allocate() {
        Slot* slot;
        if (m_free) {
            slot = m_free;
            MarkDefined(&slot->next, sizeof slot->next);
            m_free = slot->next;
        } else {
            slot = static_cast<Slot*>(m_arena.Carve(sizeof(Slot)));
        }
        MarkUndefined(slot, sizeof(Slot));
        return slot;
    }
    // Memory from Allocate of this pool, or of one it adopted, whose object has been destroyed.
    void Release(void* memory) noexcept {
        Slot* slot = static_cast<Slot*>(memory);
        MarkUndefined(slot, sizeof(Slot));
        slot->next = m_free;
        m_free = slot;
        MarkNoAccess(slot, sizeof(Slot));
    }

    // Constructs a T in the pool; the memory goes back if the constructor throws.
    template <typename... Args>
    T* New(Args&&... args) {
        void* memory = Allocate();
        try {
            return ::new (memory) T(std::forward<Args>(args)...);
        } catch (...) {
            Release(memory);
            throw;
        }
    }

    // Takes over the free slots of `other`, whose arena this pool's arena adopts.
    void Adopt(ObjectPool& other) noexcept {
        if (!other.m_free) return;
        Slot* last = other.m_free;  // free lists are short: only failed loads leave slots
        for (;;) {
            MarkDefined(&last->next, sizeof last->next);
            Slot* next = last->next;
            if (!next) break;
            MarkNoAccess(&last->next, sizeof last->next);
            last = next;
        }
        last->next = m_free;
        MarkNoAccess(&last->next, sizeof last->next);
        m_free = other.m_free;
        other.m_free = nullptr;
    }

  private:
    union Slot {
        Slot* next;
        alignas(T) unsigned char storage[sizeof(T)];
    };
    static_assert(alignof(Slot) <= ChunkArena::kAlignment &&
                  sizeof(Slot) % ChunkArena::kAlignment == 0);

    ChunkArena& m_arena;
    Slot* m_free = nullptr;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_OBJECT_POOL_H
