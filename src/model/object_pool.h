// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_MODEL_OBJECT_POOL_H
#define REUSEBLOCKS_MODEL_OBJECT_POOL_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "model/memory_marks.h"
#include "platform/memory_advice.h"

namespace reuseblocks::detail {

// Storage for many objects of one type, carved from large chunks and recycled through a free
// list. A loaded design holds hundreds of thousands of blocks and millions of layer-map rows:
// one malloc each, with its header, and a page fault for every fresh 4 KiB, cost more than the
// parsing itself. Chunks are offered to the kernel for huge pages where it supports that.
//
// Objects are constructed and destroyed by the owner of the pool; the pool only hands out and
// takes back their memory, and releases its chunks when it is destroyed. Memory not handed out,
// free slots included, is marked as inaccessible for AddressSanitizer and valgrind, so that a
// host writing through a pointer to a removed block or row is reported at that write.
template <typename T>
class ObjectPool {
  public:
    ObjectPool() = default;
    ObjectPool(const ObjectPool&) = delete;
    ObjectPool& operator=(const ObjectPool&) = delete;
    ~ObjectPool() {
        for (const Chunk& chunk : m_chunks) {
            MarkUndefined(chunk.memory, chunk.bytes);  // the allocator's own again
            ::operator delete(chunk.memory);
        }
    }

    // Memory for one T; throws std::bad_alloc and changes nothing when there is none.
    void* Allocate() {
        Slot* slot;
        if (m_free) {
            slot = m_free;
            MarkDefined(&slot->next, sizeof slot->next);
            m_free = slot->next;
        } else {
            if (m_next == m_end) AddChunk();
            slot = m_next++;
        }
        MarkUndefined(slot, sizeof(Slot));
        return slot;
    }
    // Memory from Allocate of this pool whose object has been destroyed.
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

  private:
    union Slot {
        Slot* next;
        alignas(T) unsigned char storage[sizeof(T)];
    };

    static constexpr std::size_t kHugePage = std::size_t{2} << 20;
    // Chunks grow fourfold from small, so that a collection of a few blocks stays small, to the
    // size of four huge pages, where a big collection spends nearly all of its memory.
    static constexpr std::size_t kFirstChunkBytes = std::size_t{64} << 10;
    static constexpr std::size_t kLastChunkBytes = 4 * kHugePage;

    void AddChunk() {
        // Large chunks get a huge page's worth of slack, so that the part in use can start on a
        // huge-page boundary: the slack before it is never touched and so costs no memory.
        const bool huge = m_chunkBytes >= kLastChunkBytes;
        m_chunks.reserve(m_chunks.size() + 1);  // the only step that can throw besides new
        const std::size_t bytes = m_chunkBytes + (huge ? kHugePage : 0);
        void* chunk = ::operator new(bytes);
        m_chunks.push_back(Chunk{chunk, bytes});
        MarkNoAccess(chunk, bytes);
        auto begin = reinterpret_cast<std::uintptr_t>(chunk);
        if (huge) {
            begin = (begin + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
            platform::OfferHugePages(reinterpret_cast<void*>(begin), m_chunkBytes);
        }
        m_next = reinterpret_cast<Slot*>(begin);
        m_end = m_next + m_chunkBytes / sizeof(Slot);
        if (!huge) m_chunkBytes = m_chunkBytes * 4 < kHugePage ? m_chunkBytes * 4 : kLastChunkBytes;
    }

    struct Chunk {
        void* memory;
        std::size_t bytes;
    };

    std::vector<Chunk> m_chunks;
    std::size_t m_chunkBytes = kFirstChunkBytes;
    Slot* m_free = nullptr;
    Slot* m_next = nullptr;
    Slot* m_end = nullptr;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_OBJECT_POOL_H
