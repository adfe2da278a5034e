// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_EDIT_KEY_PLACES_H
#define REUSEBLOCKS_EDIT_KEY_PLACES_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/index_hash.h"
#include "platform/huge_page_allocator.h"

namespace reuseblocks::detail {

// Where each of a list of keys stands in the list: a table of 8-byte slots, each a key's hash
// and its place, hashed as the collection's block index hashes (IndexHash, under the process's
// secret key), so that no text can be made of keys that pile up in one place. It holds views of
// the keys, not copies. Made once for a whole text's blocks, it costs one allocation where a
// node-based map costs one a key.
class KeyPlaces {
  public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // `key`: the process's secret key (ProcessHashKey), or any other.
    explicit KeyPlaces(const HashKey& key);

    // Room for `count` keys without growing.
    void Reserve(std::size_t count);
    // Adds `key` at the next place (0, then 1, 2, ...) unless an equal key is held already;
    // returns the place of the key held.
    std::size_t Add(std::string_view key);
    // The place of `key`, or kNone.
    std::size_t Find(std::string_view key) const noexcept;
    std::size_t Count() const noexcept { return m_keys.size(); }

  private:
    std::uint32_t Hash(std::string_view key) const noexcept {
        return m_hash(reinterpret_cast<const unsigned char*>(key.data()), key.size());
    }
    // The slot where `key` stands, or the empty one where it would go.
    std::size_t SlotOf(std::string_view key, std::uint32_t hash) const noexcept;
    void Grow(std::size_t slots);

    IndexHash m_hash;
    std::vector<std::string_view> m_keys;
    // High half: the hash; low half: the place plus one, 0 for an empty slot. A power of two
    // long, at most half full.
    platform::HugePageVector<std::uint64_t> m_slots;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_EDIT_KEY_PLACES_H
