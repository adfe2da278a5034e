// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TEXT_KEYED_MAP_H
#define REUSEBLOCKS_TOOLS_TEXT_KEYED_MAP_H

#include <reuseblocks/host/map_string_to_ptr.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace reuseblocks::tool {

// The library's keyed hash: its key is drawn once per process, so no file can hold values that
// all land in one bucket, as it can against the standard library's fixed hash.
struct KeyedTextHash {
    std::size_t operator()(std::string_view text) const noexcept { return KeyedHash(text); }
};

// The hash table of every text the tool reads from a file.
template <typename Value>
using KeyedMap = std::unordered_map<std::string, Value, KeyedTextHash, std::equal_to<>>;

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TEXT_KEYED_MAP_H
