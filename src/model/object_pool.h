// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_MODEL_OBJECT_POOL_H
#define REUSEBLOCKS_MODEL_OBJECT_POOL_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

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
//
// A pool serves one thread at a time. A load on several threads gives each its own pool, and the
// collection's pool adopts them when the load ends.
template <typename T>
class ObjectPool {
  public:
    ObjectPool() = default;
    ObjectPool(const ObjectPool&) = delete;
    ObjectPool& operator=(const ObjectPool&) = delete;
    ~ObjectPool() {
        while (m_chunks) {
            Chunk* next = m_chunks->next;
            const std::size_t bytes = m_chunks->bytes;
            MarkUndefined(m_chunks, bytes);  // the allocator's own again
            ::operator delete(m_chunks);
            m_chunks = next;
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

    // Takes over every chunk of `other`, which is left empty, and its free slots. What `other`
    // had not handed out yet stays unused: that memory was never touched, so it costs none.
    void Adopt(ObjectPool& other) noexcept {
        if (other.m_free) {
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
        }
        if (other.m_chunks) {
            Chunk* last = other.m_chunks;
            while (last->next) last = last->next;
            last->next = m_chunks;
            m_chunks = other.m_chunks;
        }
        if (other.m_chunkBytes > m_chunkBytes) m_chunkBytes = other.m_chunkBytes;
        other.m_chunks = nullptr;
        other.m_free = other.m_next = other.m_end = nullptr;
        other.m_chunkBytes = kFirstChunkBytes;
    }

  private:
    union Slot {
        Slot* next;
        alignas(T) unsigned char storage[sizeof(T)];
    };
    // At the start of every chunk, linking them, so that adopting chunks allocates nothing.
    struct Chunk {
        Chunk* next;
        std::size_t bytes;
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
        const std::size_t slack = sizeof(Chunk) + (huge ? kHugePage : alignof(Slot));
        const std::size_t bytes = m_chunkBytes + slack;
        void* memory = ::operator new(bytes);
        MarkNoAccess(memory, bytes);
        MarkUndefined(memory, sizeof(Chunk));
        m_chunks = ::new (memory) Chunk{m_chunks, bytes};
        auto begin = reinterpret_cast<std::uintptr_t>(memory) + sizeof(Chunk);
        const std::uintptr_t alignment = huge ? kHugePage : alignof(Slot);
        begin = (begin + alignment - 1) & ~(alignment - 1);
        if (huge) platform::OfferHugePages(reinterpret_cast<void*>(begin), m_chunkBytes);
        m_next = reinterpret_cast<Slot*>(begin);
        m_end = m_next + m_chunkBytes / sizeof(Slot);
        if (!huge) m_chunkBytes = m_chunkBytes * 4 < kHugePage ? m_chunkBytes * 4 : kLastChunkBytes;
    }

    Chunk* m_chunks = nullptr;
    std::size_t m_chunkBytes = kFirstChunkBytes;
    Slot* m_free = nullptr;
    Slot* m_next = nullptr;
    Slot* m_end = nullptr;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_OBJECT_POOL_H
