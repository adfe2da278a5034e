// SPDX-License-Identifier: MIT
#include "edit/key_places.h"

#include <limits>
#include <new>
#include <utility>

namespace reuseblocks::detail {

namespace {

constexpr std::size_t kFewestSlots = 16;

std::uint32_t HashOf(std::uint64_t slot) noexcept {
    return static_cast<std::uint32_t>(slot >> 32);
}

std::uint32_t PlaceOf(std::uint64_t slot) noexcept {
    return static_cast<std::uint32_t>(slot);
}

}  // namespace

KeyPlaces::KeyPlaces(const HashKey& key) : m_hash(key), m_slots(kFewestSlots, 0) {}

void KeyPlaces::Reserve(std::size_t count) {
    std::size_t slots = m_slots.size();
    while (slots / 2 < count) {
        if (slots > std::numeric_limits<std::size_t>::max() / 4) throw std::bad_alloc();
        slots *= 2;
    }
    if (slots != m_slots.size()) Grow(slots);
    m_keys.reserve(count);
}

std::size_t KeyPlaces::SlotOf(std::string_view key, std::uint32_t hash) const noexcept {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t held = m_slots[slot];
        if (held == 0) return slot;
        if (HashOf(held) == hash && m_keys[PlaceOf(held) - 1] == key) return slot;
    }
}

std::size_t KeyPlaces::Add(std::string_view key) {
    // Places are stored plus one in 32 bits.
    if (m_keys.size() >= std::numeric_limits<std::uint32_t>::max() - 1) throw std::bad_alloc();
    if (m_keys.size() + 1 > m_slots.size() / 2) Reserve(m_keys.size() + 1);
    const std::uint32_t hash = Hash(key);
    const std::size_t slot = SlotOf(key, hash);
    if (m_slots[slot] != 0) return PlaceOf(m_slots[slot]) - 1;
    m_keys.push_back(key);
    m_slots[slot] = (std::uint64_t{hash} << 32) | m_keys.size();
    return m_keys.size() - 1;
}

std::size_t KeyPlaces::Find(std::string_view key) const noexcept {
    const std::uint64_t held = m_slots[SlotOf(key, Hash(key))];
    return held == 0 ? kNone : PlaceOf(held) - 1;
}

void KeyPlaces::Grow(std::size_t slots) {
    platform::HugePageVector<std::uint64_t> grown(slots, 0);
    const std::size_t mask = slots - 1;
    for (const std::uint64_t held : m_slots) {
        if (held == 0) continue;
        std::size_t slot = HashOf(held) & mask;
        while (grown[slot] != 0) slot = (slot + 1) & mask;
        grown[slot] = held;
    }
    m_slots = std::move(grown);
}

}  // namespace reuseblocks::detail
