// SPDX-License-Identifier: MIT
// SplitFields, the loader's hottest loop: every line of a file passes through it.
#include <reuseblocks/ascii.h>

#include <cstring>

#include "format/chunk_classes.h"
#include "format/line_syntax.h"
#include "platform/bit_scan.h"

namespace reuseblocks::format {

namespace {

bool IsSeparatorOrQuote(char c) noexcept {
    return ascii::IsFieldSeparator(c) || IsQuote(c);
}

// The first index at or after `i` that holds a separator or a quote, or the size.
std::size_t SkipOrdinary(std::string_view line, std::size_t i) noexcept {
    const std::size_t size = line.size();
#if defined(REUSEBLOCKS_FORMAT_SSE2)
    const ChunkClasses classes;
    for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
        const unsigned mask = classes.Separators(chunk) | classes.Quotes(chunk);
        if (mask != 0) return i + detail::LowestSetBit(mask);
    }
#endif
    while (i < size && !IsSeparatorOrQuote(line[i])) ++i;
    return i;
}

#if defined(REUSEBLOCKS_FORMAT_SSE2)
// Sixteen characters of `line` from `base`; the tail in a copy padded with blanks, which end the
// last field.
inline __m128i ChunkAt(std::string_view line, std::size_t base) noexcept {
    if (base + 16 <= line.size()) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + base));
    }
    char tail[16];
    std::memset(tail, ' ', sizeof tail);
    std::memcpy(tail, line.data() + base, line.size() - base);
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(tail));
}

// No quote in the line, the loader's every line but a few: the separators of sixteen characters
// at a time as a bit mask, where every field starts at a 1 to 0 step and ends at a 0 to 1 step.
// False, with `fields` left to be cleared, at the first quote.
bool SplitUnquoted(std::string_view line, std::vector<std::string_view>& fields, std::size_t most) {
    const ChunkClasses classes;
    const std::size_t size = line.size();
    unsigned before = 1;  // the character before the chunk is a separator
    std::size_t start = 0;
    for (std::size_t base = 0; base < size; base += 16) {
        const __m128i chunk = ChunkAt(line, base);
        if (classes.Quotes(chunk) != 0) return false;
        const unsigned separators = classes.Separators(chunk);
        const unsigned previous = ((separators << 1) | before) & 0xffffu;
        const unsigned starts = ~separators & previous & 0xffffu;
        const unsigned ends = separators & ~previous & 0xffffu;
        before = separators >> 15;
        for (unsigned steps = starts | ends; steps != 0; steps &= steps - 1) {
            const unsigned bit = detail::LowestSetBit(steps);
            if ((starts >> bit) & 1u) {
                start = base + bit;
            } else {
                fields.push_back(line.substr(start, base + bit - start));
                if (fields.size() == most) return true;
            }
        }
    }
    if (!before) fields.push_back(line.substr(start));  // ends with the line, a multiple of 16
    return true;
}

// The fields of a line without quotes, counted by where they start; false at the first quote.
bool CountUnquoted(std::string_view line, std::size_t& count) {
    const ChunkClasses classes;
    const std::size_t size = line.size();
    unsigned before = 1;
    count = 0;
    for (std::size_t base = 0; base < size; base += 16) {
        const __m128i chunk = ChunkAt(line, base);
        if (classes.Quotes(chunk) != 0) return false;
        const unsigned separators = classes.Separators(chunk);
        const unsigned previous = ((separators << 1) | before) & 0xffffu;
        count += detail::SetBitCount(~separators & previous & 0xffffu);
        before = separators >> 15;
    }
    return true;
}
#endif

}  // namespace

void SplitFields(std::string_view record, std::vector<std::string_view>& fields, std::size_t most) {
    fields.clear();
    if (most == 0) return;
#if defined(REUSEBLOCKS_FORMAT_SSE2)
    if (SplitUnquoted(record, fields, most)) return;
    fields.clear();
#endif
    const std::size_t size = record.size();
    std::size_t i = 0;
    // Between fields, where no quote can be open.
    while (i < size) {
        if (ascii::IsFieldSeparator(record[i])) {
            ++i;
            continue;
        }
        // A field runs to the first separator outside quotes.
        const std::size_t start = i;
        bool quoted = false;
        while (i < size) {
            if (!quoted) {
                i = SkipOrdinary(record, i);
                if (i == size) break;
            }
            if (IsQuote(record[i])) {
                quoted = !quoted;  // either quote closes what either opened
            } else if (!quoted) {
                break;  // a separator
            }
            ++i;
        }
        fields.push_back(record.substr(start, i - start));
        if (fields.size() == most) return;
    }
}

std::size_t CountFields(std::string_view record, std::vector<std::string_view>& fields,
                        std::size_t kept) {
    SplitFields(record, fields, kept);
    if (fields.size() < kept) return fields.size();
#if defined(REUSEBLOCKS_FORMAT_SSE2)
    if (std::size_t count = 0; CountUnquoted(record, count)) return count;
#endif
    std::vector<std::string_view> all;
    SplitFields(record, all);
    return all.size();
}

}  // namespace reuseblocks::format
