// SPDX-License-Identifier: MIT
#include "flood_ids.h"

#include <cstring>

namespace reuseblocks::bench {

namespace {

constexpr std::uint64_t kSeed = 0xc70f6907ULL;  // std::hash's seed for strings
constexpr std::uint64_t kMul = (0xc6a4a793ULL << 32) + 0x5bd1e995ULL;

constexpr std::uint64_t Inverse(std::uint64_t odd) {
    std::uint64_t inverse = odd;  // right in the low three bits; Newton doubles them each step
    for (int step = 0; step < 5; ++step) inverse *= 2 - odd * inverse;
    return inverse;
}
constexpr std::uint64_t kMulInverse = Inverse(kMul);
static_assert(kMul * kMulInverse == 1, "the multiplier must be invertible");

constexpr std::uint64_t ShiftMix(std::uint64_t v) {
    return v ^ (v >> 47);
}
// ShiftMix is its own inverse: the shift is more than half the word.
constexpr std::uint64_t Mix(std::uint64_t word) {
    return ShiftMix(word * kMul) * kMul;
}
constexpr std::uint64_t Unmix(std::uint64_t mixed) {
    return ShiftMix(mixed * kMulInverse) * kMulInverse;
}

std::uint64_t LoadLittleEndian(const char* bytes, std::size_t count) {
    std::uint64_t word = 0;
    for (std::size_t i = count; i-- > 0;) word = (word << 8) | static_cast<unsigned char>(bytes[i]);
    return word;
}

void StoreLittleEndian(std::uint64_t word, char* bytes) {
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((word >> (8 * i)) & 0xff);
}

// The state after the whole words, before the final mixing (a bijection, so equal states give
// equal hashes).
std::uint64_t WordState(std::uint64_t state, const char* words, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        state = (state ^ Mix(LoadLittleEndian(words + 8 * i, 8))) * kMul;
    return state;
}

constexpr std::size_t kLength = 16;
constexpr std::uint64_t kStart = kSeed ^ (kLength * kMul);

// A byte the loader keeps inside a field, and that no tool mistakes for the end of a line.
bool FieldByte(unsigned char c) {
    return c != 0 && c != ' ' && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r' &&
           c != '"' && c != '\'';
}

bool UsableTail(const char* tail) {
    for (int i = 0; i < 8; ++i) {
        if (!FieldByte(static_cast<unsigned char>(tail[i]))) return false;
    }
    return tail[7] != ')';  // a closing parenthesis at the end of a record is stripped
}

std::uint64_t SplitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Every crafted ID ends in this state, the one of a plain ID.
const std::uint64_t kTarget = WordState(kStart, "/TOP/FLOOD/U0001", 2);

}  // namespace

FloodIds::FloodIds(bool crafted, std::uint64_t seed) : m_crafted(crafted), m_random(seed) {}

std::string FloodIds::Next() {
    static constexpr char kDigits[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    char id[kLength];
    for (;;) {
        std::memcpy(id, "/F", 2);
        std::uint64_t count = m_counter++;
        for (int i = 7; i >= 2; --i, count /= 62) id[i] = kDigits[count % 62];
        const std::uint64_t head = WordState(kStart, id, 1);
        // Crafted: the one tail word that takes the head's state to the common one.
        const std::uint64_t tail =
            m_crafted ? Unmix((kTarget * kMulInverse) ^ head) : SplitMix(m_random);
        StoreLittleEndian(tail, id + 8);
        if (UsableTail(id + 8)) return std::string(id, kLength);
    }
}

}  // namespace reuseblocks::bench
