// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_HASH_KEY_H
#define REUSEBLOCKS_HOST_HASH_KEY_H

#include <cstdint>

namespace reuseblocks::detail {

// The secret that keys the hash of the block index, so that a file cannot be made of IDs that
// all land in one place of the table.
struct HashKey {
    std::uint64_t k0;
    std::uint64_t k1;
};

// Sixteen bytes from the system's random source. Never fails and never blocks: where that source
// cannot be read, the key is mixed from the clocks and addresses instead.
HashKey ReadHashKey() noexcept;

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_HOST_HASH_KEY_H
