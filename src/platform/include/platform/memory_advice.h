// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_MEMORY_ADVICE_H
#define REUSEBLOCKS_PLATFORM_MEMORY_ADVICE_H

#include <cstddef>

namespace reuseblocks::detail::platform {

// The huge page the memory of OfferHugePages starts on: 2 MiB, on the systems that have them.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// Offers `bytes` of memory at `memory` (aligned to kHugePageBytes) to the kernel for huge pages. A
// refusal, or a system without them, leaves small pages; nothing else changes.
void OfferHugePages(void* memory, std::size_t bytes) noexcept;

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_MEMORY_ADVICE_H
