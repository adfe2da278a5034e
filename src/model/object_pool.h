#ifndef REUSEBLOCKS_MODEL_OBJECT_POOL_H
#define REUSEBLOCKS_MODEL_OBJECT_POOL_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace reuseblocks::detail {

// Storage for many objects of one type, carved from large chunks and recycled through a free
// list. A loaded design holds hundreds of thousands of blocks and millions of layer-map rows:
// one malloc each, with its header, and a page fault for every fresh 4 KiB, cost more than the
// parsing itself. Chunks are offered to the kernel for huge pages where it supports that.
//
// Objects are constructed and destroyed by the owner of the pool; the pool only hands out and
// takes back their memory, and releases its chunks when it is destroyed.
template <typename T>
class ObjectPool {
  public:
    ObjectPool() = default;
    ObjectPool(const ObjectPool&) = delete;
    ObjectPool& operator=(const ObjectPool&) = delete;
    ~ObjectPool() {
        for (void* chunk : m_chunks) ::operator delete(chunk);
    }

    // Memory for one T; throws std::bad_alloc and changes nothing when there is none.
    void* Allocate() {
        if (m_free) return std::exchange(m_free, m_free->next);
        if (m_next == m_end) AddChunk();
        return m_next++;
    }
    // Memory from Allocate of this pool whose object has been destroyed.
    void Release(void* memory) noexcept {
        Slot* slot = static_cast<Slot*>(memory);
        slot->next = m_free;
        m_free = slot;
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
        void* chunk = ::operator new(m_chunkBytes + (huge ? kHugePage : 0));
        m_chunks.push_back(chunk);
        auto begin = reinterpret_cast<std::uintptr_t>(chunk);
        if (huge) {
            begin = (begin + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
            AdviseHugePages(begin, m_chunkBytes);
        }
        m_next = reinterpret_cast<Slot*>(begin);
        m_end = m_next + m_chunkBytes / sizeof(Slot);
        if (!huge) m_chunkBytes = m_chunkBytes * 4 < kHugePage ? m_chunkBytes * 4 : kLastChunkBytes;
    }

    static void AdviseHugePages(std::uintptr_t begin, std::size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        // A refusal just leaves small pages.
        static_cast<void>(::madvise(reinterpret_cast<void*>(begin), bytes, MADV_HUGEPAGE));
#else
        static_cast<void>(begin);
        static_cast<void>(bytes);
#endif
    }

    std::vector<void*> m_chunks;
    std::size_t m_chunkBytes = kFirstChunkBytes;
    Slot* m_free = nullptr;
    Slot* m_next = nullptr;
    Slot* m_end = nullptr;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_OBJECT_POOL_H
