// SPDX-License-Identifier: MIT
#include "platform/memory_advice.h"

namespace reuseblocks::detail::platform {

// Large pages on Windows need a privilege a host rarely has: small pages it is.
void OfferHugePages(void*, std::size_t) noexcept {}

}  // namespace reuseblocks::detail::platform
