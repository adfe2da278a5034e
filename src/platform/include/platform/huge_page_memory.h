// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_HUGE_PAGE_MEMORY_H
#define REUSEBLOCKS_PLATFORM_HUGE_PAGE_MEMORY_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "platform/memory_advice.h"

namespace reuseblocks::detail::platform {

// A large array's memory, starting on a huge-page boundary and offered to the kernel for huge
// pages: the big tables of a large collection fault in 2 MiB at a time instead of 4 KiB, and a
// lookup misses the TLB far less. It ends on a boundary too, so that its last huge page is one as
// well. The slack before the first boundary is never touched, so it costs address space only.
class HugePageMemory {
  public:
    HugePageMemory() noexcept = default;
    // Throws std::bad_alloc.
    explicit HugePageMemory(std::size_t bytes)
        : m_allocation(::operator new(WithSlack(WholeHugePages(bytes)))) {
        auto begin = reinterpret_cast<std::uintptr_t>(m_allocation);
        begin = (begin + kHugePageBytes - 1) & ~(std::uintptr_t{kHugePageBytes} - 1);
        m_memory = reinterpret_cast<void*>(begin);
        OfferHugePages(m_memory, WholeHugePages(bytes));
    }
    HugePageMemory(HugePageMemory&& other) noexcept
        : m_allocation(std::exchange(other.m_allocation, nullptr)),
          m_memory(std::exchange(other.m_memory, nullptr)) {}
    HugePageMemory& operator=(HugePageMemory&& other) noexcept {
        std::swap(m_allocation, other.m_allocation);
        std::swap(m_memory, other.m_memory);
        return *this;
    }
    ~HugePageMemory() { ::operator delete(m_allocation); }

    void* Get() const noexcept { return m_memory; }

  private:
    static std::size_t WithSlack(std::size_t bytes) {
        if (bytes > static_cast<std::size_t>(-1) - kHugePageBytes) throw std::bad_alloc();
        return bytes + kHugePageBytes;
    }

    void* m_allocation = nullptr;
    void* m_memory = nullptr;
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_HUGE_PAGE_MEMORY_H
