// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_INDEX_HASH_H
#define REUSEBLOCKS_HOST_INDEX_HASH_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "host/hash_key.h"
#include "host/sip_hash.h"

namespace reuseblocks::detail {

// The hash of the collection's block index, 32 bits, under secret multipliers drawn for the
// process.
//
// Keys of up to 32 bytes, nearly every block ID there is, go through pair-multiply-shift: the key
// as 32-bit words x0, x1, ..., zero-padded to eight, and its length as a ninth, hash to the top
// 32 bits of m + (a0 + x1)(a1 + x0) + (a2 + x3)(a3 + x2) + ... in 64-bit arithmetic, with random
// 64-bit a and m. That family is strongly universal: for any two keys the multipliers make their
// hashes collide with probability about 2^-32, so whoever writes a file of IDs without knowing
// the multipliers cannot make them pile up in the table, and that holds by proof, not by the
// strength of a cipher. It takes a multiplication for eight bytes where SipHash takes two rounds:
// in a run of lookups, each waiting on memory, fewer instructions let more of them wait at once.
// Longer keys go through SipHash-1-3.
//
// Universality bounds the collisions of a pair, not how a run of keys falls into the slots: IDs
// that count up in one word are an arithmetic progression, and for about one draw of the
// multipliers in 150 the progression's step lands the run in a few slots (hundreds of keys in
// one of them). A fixed bijection of the 32 bits breaks up the progression and keeps every
// collision the proof bounds, since equal outputs still mean equal sums.
class IndexHash {
  public:
    static constexpr std::size_t kShortKey = 32;

    // The multipliers are taken from SipHash of `key`, so that they are as secret as it is.
    explicit IndexHash(const HashKey& key) noexcept : m_sipKey(key) {
        for (std::size_t i = 0; i < kMultipliers; ++i) {
            const unsigned char counter[1] = {static_cast<unsigned char>(i)};
            m_multipliers[i] = SipHash<2, 4>(key, counter, sizeof counter);
        }
        // The zero padding of a short key adds the same to every key of its length, so those
        // sums are made once here: m and the products of the pairs from `pairs` on.
        m_paddedFrom[kPairs] =
            m_multipliers[kLengthPair] * m_multipliers[kLengthPair + 1] + m_multipliers[kOffset];
        for (std::size_t pair = kPairs; pair-- > 0;) {
            m_paddedFrom[pair] =
                m_paddedFrom[pair + 1] + m_multipliers[2 * pair] * m_multipliers[2 * pair + 1];
        }
    }

    std::uint32_t operator()(const unsigned char* data, std::size_t size) const noexcept {
        if (size > kShortKey) {
            return static_cast<std::uint32_t>(SipHash<1, 3>(m_sipKey, data, size) >> 32);
        }
        const std::size_t whole = size / 8;
        const std::size_t rest = size % 8;
        std::uint64_t sum = m_paddedFrom[whole + (rest != 0 ? 1 : 0)] +
                            m_multipliers[kLengthPair] * static_cast<std::uint64_t>(size);
        for (std::size_t pair = 0; pair < whole; ++pair) sum += Pair(pair, Load8(data + 8 * pair));
        if (rest != 0) {
            // The last 1 to 7 bytes, zero-padded, read without touching a byte outside the key.
            std::uint64_t word;
            if (size >= 8) {
                word = Load8(data + size - 8) >> (8 * (8 - rest));
            } else if (rest >= 4) {
                word = Load4(data) | (Load4(data + rest - 4) << (8 * (rest - 4)));
            } else {
                word = std::uint64_t{data[0]} |
                       (std::uint64_t{data[rest / 2]} << (8 * (rest / 2))) |
                       (std::uint64_t{data[rest - 1]} << (8 * (rest - 1)));
            }
            sum += Pair(whole, word);
        }
        return Scatter(static_cast<std::uint32_t>(sum >> 32));
    }

  private:
    static constexpr std::size_t kPairs = kShortKey / 8;  // of 32-bit words
    static constexpr std::size_t kLengthPair = 2 * kPairs;
    static constexpr std::size_t kOffset = kLengthPair + 2;
    static constexpr std::size_t kMultipliers = kOffset + 1;

    // (a[2p] + high half)(a[2p+1] + low half) of the eight bytes of pair `pair`.
    std::uint64_t Pair(std::size_t pair, std::uint64_t word) const noexcept {
        return (m_multipliers[2 * pair] + (word >> 32)) *
               (m_multipliers[2 * pair + 1] + (word & 0xffffffffu));
    }
    // An invertible mix of 32 bits whose every output bit depends on every input bit.
    static std::uint32_t Scatter(std::uint32_t x) noexcept {
        x ^= x >> 16;
        x *= 0x7feb352du;
        x ^= x >> 15;
        x *= 0x846ca68bu;
        x ^= x >> 16;
        return x;
    }
    static std::uint64_t Load8(const unsigned char* bytes) noexcept {
        std::uint64_t word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    }
    static std::uint64_t Load4(const unsigned char* bytes) noexcept {
        std::uint32_t word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    }

    HashKey m_sipKey;
    std::uint64_t m_multipliers[kMultipliers];
    std::uint64_t m_paddedFrom[kPairs + 1];
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_HOST_INDEX_HASH_H
