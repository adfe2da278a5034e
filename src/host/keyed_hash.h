// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_KEYED_HASH_H
#define REUSEBLOCKS_HOST_KEYED_HASH_H

#include "host/hash_key.h"

namespace reuseblocks::detail {

// The key of reuseblocks::KeyedHash, read from the random source on first use: the collection's
// index copies it, so that its hashes need no call and no check of a static.
const HashKey& ProcessHashKey() noexcept;

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_HOST_KEYED_HASH_H
