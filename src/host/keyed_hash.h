// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_KEYED_HASH_H
#define REUSEBLOCKS_HOST_KEYED_HASH_H

#include <cstddef>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "host/hash_key.h"
#include "reuseblocks/host/map_string_to_ptr.h"

namespace reuseblocks::detail {

// The key of reuseblocks::KeyedHash, read from the random source on first use: the collection's
// index copies it, so that its hashes need no call and no check of a static.
const HashKey& ProcessHashKey() noexcept;

// The hash of every table filled from a file's text: no file can hold values that all land in
// one bucket, as one can against the standard library's fixed hash.
struct KeyedViewHash {
    std::size_t operator()(std::string_view text) const noexcept { return KeyedHash(text); }
};

// Its keys point into the text, which outlives the table.
template <typename Value>
using KeyedViewMap = std::unordered_map<std::string_view, Value, KeyedViewHash>;

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_HOST_KEYED_HASH_H
