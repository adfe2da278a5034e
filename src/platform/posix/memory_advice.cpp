// SPDX-License-Identifier: MIT
#include "platform/memory_advice.h"

#include <sys/mman.h>

namespace reuseblocks::detail::platform {

void OfferHugePages(void* memory, std::size_t bytes) noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    static_cast<void>(::madvise(memory, bytes, MADV_HUGEPAGE));
#else
    static_cast<void>(memory);
    static_cast<void>(bytes);
#endif
}

}  // namespace reuseblocks::detail::platform
