// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_BENCH_FLOOD_IDS_H
#define REUSEBLOCKS_BENCH_FLOOD_IDS_H

#include <cstdint>
#include <string>

namespace reuseblocks::bench {

// Block IDs for measuring the block index against hash flooding. Every ID is 16 bytes: "/F", six
// characters counting up, and eight bytes that are either crafted or drawn at random from the
// same bytes (no white space, quotes or NUL), so the two kinds differ only in how they hash.
//
// Crafted IDs all share one value of libstdc++'s std::hash<std::string_view> (64-bit murmur2
// with its fixed seed): the last eight bytes are found by running the hash backwards from the
// common value. A table keyed by that hash sees them all in one slot.
class FloodIds {
  public:
    FloodIds(bool crafted, std::uint64_t seed);
    std::string Next();

  private:
    bool m_crafted;
    std::uint64_t m_counter = 0;
    std::uint64_t m_random;
};

}  // namespace reuseblocks::bench

#endif  // REUSEBLOCKS_BENCH_FLOOD_IDS_H
