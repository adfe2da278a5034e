// SPDX-License-Identifier: MIT
#include "io/line_tokenizer.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/bit_scan.h"

// SSE2 is part of every x86-64 processor; GCC and Clang say so with __SSE2__, MSVC with _M_X64.
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define REUSEBLOCKS_TOKENIZER_SSE2 1
#endif

namespace reuseblocks::detail {

namespace {

enum CharClass : unsigned char { kOrdinary = 0, kSeparator, kSpecial, kQuote };

bool IsQuoteChar(char c) {
    return c == '"' || c == '\'';
}

bool IsSeparatorOrQuote(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || IsQuoteChar(c);
}

using ClassTable = std::array<unsigned char, 256>;

// One table look-up per character instead of a search through `specials` for each of them.
// White space wins over a special character, as a separator is tested first.
constexpr ClassTable MakeClassTable(std::string_view specials) {
    ClassTable table{};
    for (char c : specials) table[static_cast<unsigned char>(c)] = kSpecial;
    for (char c : {' ', '\t', '\r', '\n'}) table[static_cast<unsigned char>(c)] = kSeparator;
    for (char c : {'"', '\''}) {
        if (table[static_cast<unsigned char>(c)] == kOrdinary)
            table[static_cast<unsigned char>(c)] = kQuote;
    }
    return table;
}

// The table when no special character is more than white space, as for the loader's " ": built
// at compile time, since a short mapping line costs little more than building it.
constexpr ClassTable kWhiteSpaceTable = MakeClassTable(std::string_view());

#if defined(REUSEBLOCKS_TOKENIZER_SSE2)
// Which of sixteen characters are separators, and which quotes, as bit masks.
class ChunkClasses {
  public:
    unsigned Separators(__m128i chunk) const noexcept {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(chunk, m_blank), _mm_cmpeq_epi8(chunk, m_tab)),
            _mm_or_si128(_mm_cmpeq_epi8(chunk, m_return), _mm_cmpeq_epi8(chunk, m_feed)))));
    }
    unsigned Quotes(__m128i chunk) const noexcept {
        return static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(chunk, m_double), _mm_cmpeq_epi8(chunk, m_single))));
    }

  private:
    const __m128i m_blank = _mm_set1_epi8(' ');
    const __m128i m_tab = _mm_set1_epi8('\t');
    const __m128i m_return = _mm_set1_epi8('\r');
    const __m128i m_feed = _mm_set1_epi8('\n');
    const __m128i m_double = _mm_set1_epi8('"');
    const __m128i m_single = _mm_set1_epi8('\'');
};
#endif

// The first index at or after `i` whose character is not ordinary, or the size. `wide` says
// that only white space and quotes are not ordinary (no other special characters), which lets
// sixteen characters be tested at once.
std::size_t SkipOrdinary(std::string_view line, std::size_t i, const ClassTable& table, bool wide) {
    const std::size_t size = line.size();
#if defined(REUSEBLOCKS_TOKENIZER_SSE2)
    if (wide) {
        const ChunkClasses classes;
        for (; i + 16 <= size; i += 16) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + i));
            const unsigned mask = classes.Separators(chunk) | classes.Quotes(chunk);
            if (mask != 0) return i + LowestSetBit(mask);
        }
    }
#else
    static_cast<void>(wide);
#endif
    while (i < size && table[static_cast<unsigned char>(line[i])] == kOrdinary) ++i;
    return i;
}

#if defined(REUSEBLOCKS_TOKENIZER_SSE2)
// White space only and no quote in the line, the loader's every line but a few: the separators
// of sixteen characters at a time as a bit mask, where every field starts at a 1 to 0 step and
// ends at a 0 to 1 step. False, with `fields` left to be cleared, at the first quote.
bool SplitUnquoted(std::string_view line, std::vector<std::string_view>& fields) {
    const ChunkClasses classes;
    const std::size_t size = line.size();
    unsigned before = 1;  // the character before the chunk is a separator
    std::size_t start = 0;
    for (std::size_t base = 0; base < size; base += 16) {
        __m128i chunk;
        if (base + 16 <= size) {
            chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + base));
        } else {
            // The tail, in a copy padded with blanks that end the last field.
            char tail[16];
            std::memset(tail, ' ', sizeof tail);
            std::memcpy(tail, line.data() + base, size - base);
            chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tail));
        }
        if (classes.Quotes(chunk) != 0) return false;
        const unsigned separators = classes.Separators(chunk);
        const unsigned previous = ((separators << 1) | before) & 0xffffu;
        const unsigned starts = ~separators & previous & 0xffffu;
        const unsigned ends = separators & ~previous & 0xffffu;
        before = separators >> 15;
        for (unsigned steps = starts | ends; steps != 0; steps &= steps - 1) {
            const unsigned bit = LowestSetBit(steps);
            if ((starts >> bit) & 1u) {
                start = base + bit;
            } else {
                fields.push_back(line.substr(start, base + bit - start));
            }
        }
    }
    if (!before) fields.push_back(line.substr(start));  // ends with the line, a multiple of 16
    return true;
}
#endif

}  // namespace

void TokenizeLine(std::string_view line, std::vector<std::string_view>& fields,
                  std::string_view specials) {
    fields.clear();
    bool wide = true;
    bool onlyWhiteSpace = true;
    for (char c : specials) {
        wide = wide && IsSeparatorOrQuote(c);
        onlyWhiteSpace = onlyWhiteSpace && IsSeparatorOrQuote(c) && !IsQuoteChar(c);
    }
#if defined(REUSEBLOCKS_TOKENIZER_SSE2)
    if (onlyWhiteSpace) {
        if (SplitUnquoted(line, fields)) return;
        fields.clear();
    }
#endif
    ClassTable built;  // filled only when needed: zeroing it costs as much as a short line
    const ClassTable* chosen = &kWhiteSpaceTable;
    if (!onlyWhiteSpace) {
        built = MakeClassTable(specials);
        chosen = &built;
    }
    const ClassTable& table = *chosen;
    const auto classOf = [&table](char c) { return table[static_cast<unsigned char>(c)]; };
    const std::size_t size = line.size();
    std::size_t i = 0;
    // Between fields, where no quote can be open.
    while (i < size) {
        const unsigned char kind = classOf(line[i]);
        if (kind == kSeparator) {
            ++i;
            continue;
        }
        if (kind == kSpecial) {
            fields.push_back(line.substr(i, 1));
            ++i;
            continue;
        }
        // A field runs to the first separator or special character outside quotes.
        const std::size_t start = i;
        bool quoted = false;
        while (i < size) {
            if (!quoted) {
                i = SkipOrdinary(line, i, table, wide);
                if (i == size) break;
            }
            const unsigned char inner = classOf(line[i]);
            if (quoted) {
                // Inside quotes everything belongs to the field; either quote closes them.
                if (IsQuoteChar(line[i])) quoted = false;
            } else if (inner == kQuote) {
                quoted = true;
            } else {
                break;  // a separator or a special character
            }
            ++i;
        }
        fields.push_back(line.substr(start, i - start));
    }
}

}  // namespace reuseblocks::detail
