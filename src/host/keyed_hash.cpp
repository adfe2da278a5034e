// SPDX-License-Identifier: MIT
#include "host/keyed_hash.h"

#include <string_view>

#include "host/sip_hash.h"
#include "reuseblocks/host/map_string_to_ptr.h"

namespace reuseblocks {

namespace detail {

const HashKey& ProcessHashKey() noexcept {
    // Taken once per process, on first use, so that every map hashes alike for the process's
    // whole life, whichever side of the library boundary its code was compiled on.
    static const HashKey processKey = ReadHashKey();
    return processKey;
}

}  // namespace detail

std::size_t KeyedHash(std::string_view key) noexcept {
    return static_cast<std::size_t>(detail::SipHash<1, 3>(
        detail::ProcessHashKey(), reinterpret_cast<const unsigned char*>(key.data()), key.size()));
}

}  // namespace reuseblocks
