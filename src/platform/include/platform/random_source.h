// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_RANDOM_SOURCE_H
#define REUSEBLOCKS_PLATFORM_RANDOM_SOURCE_H

#include <cstddef>

namespace reuseblocks::detail::platform {

// Fills `bytes` from the system's cryptographic random source without blocking. False when the
// source cannot be read; errno, or the thread's last error, is as it was before the call.
bool ReadRandomBytes(unsigned char* bytes, std::size_t count) noexcept;

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_RANDOM_SOURCE_H
