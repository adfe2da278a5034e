// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_MEMORY_ADVICE_H
#define REUSEBLOCKS_PLATFORM_MEMORY_ADVICE_H

#include <cstddef>
#include <cstdint>
#include <new>

namespace reuseblocks::detail::platform {

// The huge page the memory of OfferHugePages starts on: 2 MiB, on the systems that have them.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// `bytes` rounded up to whole huge pages: memory offered for them up to its end faults in 2 MiB
// at a time to its last byte, where a part of a huge page at the end would fault 4 KiB at a time.
// Throws std::bad_alloc when the rounding leaves the range of sizes.
inline std::size_t WholeHugePages(std::size_t bytes) {
    if (bytes > static_cast<std::size_t>(-1) - (kHugePageBytes - 1)) throw std::bad_alloc();
    return (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
}

// Offers `bytes` of memory at `memory` (aligned to kHugePageBytes) to the kernel for huge pages. A
// refusal, or a system without them, leaves small pages; nothing else changes.
void OfferHugePages(void* memory, std::size_t bytes) noexcept;

// Offers the huge pages that lie wholly inside `bytes` of memory at `memory`, memory an ordinary
// allocation gave and nothing has touched yet: a large buffer about to be filled at once faults in
// 2 MiB at a time for most of its length.
inline void OfferHugePagesWithin(void* memory, std::size_t bytes) noexcept {
    const auto begin = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t first = (begin + kHugePageBytes - 1) & ~std::uintptr_t{kHugePageBytes - 1};
    const std::uintptr_t last = (begin + bytes) & ~std::uintptr_t{kHugePageBytes - 1};
    if (last > first) OfferHugePages(reinterpret_cast<void*>(first), last - first);
}

// Makes room for `count` elements in `container` (a std::vector or std::string), the room not yet
// filled offered for huge pages. Throws what its reserve throws.
template <typename Container>
void ReserveOnHugePages(Container& container, std::size_t count) {
    if (count <= container.capacity()) return;
    container.reserve(count);
    OfferHugePagesWithin(container.data() + container.size(),
                         (container.capacity() - container.size()) * sizeof(*container.data()));
}

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_MEMORY_ADVICE_H
