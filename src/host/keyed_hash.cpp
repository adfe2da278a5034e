// SPDX-License-Identifier: MIT
#include <string_view>

#include "host/hash_key.h"
#include "host/sip_hash.h"
#include "reuseblocks/host/map_string_to_ptr.h"

namespace reuseblocks {

std::size_t KeyedHash(std::string_view key) noexcept {
    // Taken once per process, on first use, so that every map hashes alike for the process's
    // whole life, whichever side of the library boundary its code was compiled on.
    static const detail::HashKey processKey = detail::ReadHashKey();
    return static_cast<std::size_t>(detail::SipHash<1, 3>(
        processKey, reinterpret_cast<const unsigned char*>(key.data()), key.size()));
}

}  // namespace reuseblocks
