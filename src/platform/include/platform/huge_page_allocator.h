// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_HUGE_PAGE_ALLOCATOR_H
#define REUSEBLOCKS_PLATFORM_HUGE_PAGE_ALLOCATOR_H

#include <cstddef>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/memory_advice.h"

namespace reuseblocks::detail::platform {

// An allocator for the large arrays of a large file's text, filled once they are made: an array of
// a huge page or more starts on a huge-page boundary and is offered for huge pages, so that it
// faults in 2 MiB at a time instead of 4 KiB, which on some machines (virtual ones above all) costs
// more than filling it. Smaller arrays come from the ordinary heap.
template <typename T>
class HugePageAllocator {
  public:
    using value_type = T;

    HugePageAllocator() noexcept = default;
    template <typename U>
    HugePageAllocator(const HugePageAllocator<U>&) noexcept {}  // NOLINT: rebinding converts

    T* allocate(std::size_t count) {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
        const std::size_t bytes = count * sizeof(T);
        if (bytes < kHugePageBytes) return static_cast<T*>(::operator new(bytes));
        // Whole huge pages to the end: a part of one there would fault 4 KiB at a time.
        const std::size_t whole = WholeHugePages(bytes);
        void* memory = ::operator new (whole, std::align_val_t{kHugePageBytes});
        OfferHugePages(memory, whole);
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t count) noexcept {
        if (count * sizeof(T) < kHugePageBytes) {
            ::operator delete(memory);
        } else {
            ::operator delete (memory, std::align_val_t{kHugePageBytes});
        }
    }

    friend bool operator==(const HugePageAllocator&, const HugePageAllocator&) noexcept {
        return true;
    }
    friend bool operator!=(const HugePageAllocator&, const HugePageAllocator&) noexcept {
        return false;
    }
};

template <typename T>
using HugePageVector = std::vector<T, HugePageAllocator<T>>;

// As HugePageAllocator, for arrays sized first and then written in full, or in part, in any
// order: sizing leaves what it adds as the memory holds it instead of writing zeros over it, so
// that the pages of a part never written are never touched either.
template <typename T>
class UnfilledHugePageAllocator : public HugePageAllocator<T> {
  public:
    UnfilledHugePageAllocator() noexcept = default;
    template <typename U>
    UnfilledHugePageAllocator(const UnfilledHugePageAllocator<U>&) noexcept {}  // NOLINT

    template <typename U>
    void construct(U* element) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(element)) U;  // default-initialized: nothing for a number
    }
    template <typename U, typename... Arguments>
    void construct(U* element, Arguments&&... arguments) {
        ::new (static_cast<void*>(element)) U(std::forward<Arguments>(arguments)...);
    }
};

template <typename T>
using UnfilledHugePageVector = std::vector<T, UnfilledHugePageAllocator<T>>;

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_HUGE_PAGE_ALLOCATOR_H
