// SPDX-License-Identifier: MIT
#include "host/hash_key.h"

#include <chrono>
#include <cstring>

#include "platform/random_source.h"

namespace reuseblocks::detail {

namespace {

std::uint64_t Mix(std::uint64_t z) noexcept {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Weaker than the system's source, but different in every process and hard to guess from
// outside: the clocks, and addresses moved by address-space randomization.
HashKey LastResortKey() noexcept {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto steady = std::chrono::steady_clock::now().time_since_epoch().count();
    int local = 0;
    const std::uint64_t a =
        Mix(static_cast<std::uint64_t>(wall) ^ reinterpret_cast<std::uintptr_t>(&local));
    const std::uint64_t b =
        Mix(static_cast<std::uint64_t>(steady) ^ reinterpret_cast<std::uintptr_t>(&LastResortKey));
    return HashKey{Mix(a ^ b), Mix(a + b)};
}

}  // namespace

HashKey ReadHashKey() noexcept {
    unsigned char bytes[sizeof(HashKey)];
    if (!platform::ReadRandomBytes(bytes, sizeof bytes)) return LastResortKey();
    HashKey key{};
    std::memcpy(&key, bytes, sizeof key);
    return key;
}

}  // namespace reuseblocks::detail
