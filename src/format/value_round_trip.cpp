// SPDX-License-Identifier: MIT
#include "format/value_round_trip.h"

#include <reuseblocks/ascii.h>

#include <array>

#include "format/chunk_classes.h"
#include "format/line_syntax.h"

namespace reuseblocks::format {

namespace {

// The bytes that matter wherever they stand in a value: line breaks, quotes, field separators.
constexpr std::array<unsigned char, 256> kAnywhere = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const char byte = static_cast<char>(c);
        table[static_cast<std::size_t>(c)] =
            IsLineBreak(byte) || IsQuote(byte) || ascii::IsFieldSeparator(byte) ? 1 : 0;
    }
    return table;
}();

// Whether `value` holds any of them. Most values hold none, so they are looked for sixteen bytes
// at a time, and in the rest without a branch.
bool HoldsAnywhereByte(std::string_view value) noexcept {
    std::size_t i = 0;
#if defined(REUSEBLOCKS_FORMAT_SSE2)
    const ChunkClasses classes;
    for (; i + 16 <= value.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value.data() + i));
        if ((classes.Separators(chunk) | classes.Quotes(chunk)) != 0) return true;
    }
#endif
    unsigned char any = 0;
    for (; i < value.size(); ++i) any |= kAnywhere[static_cast<unsigned char>(value[i])];
    return any != 0;
}

}  // namespace

unsigned RoundTripReasons(std::string_view value, ValuePlace place) noexcept {
    if (value.empty()) return kRoundTripEmpty;
    const bool first = place == ValuePlace::kBlockID;
    const bool last = place == ValuePlace::kLast || place == ValuePlace::kLastColumn;
    const bool definition =
        place == ValuePlace::kBlockID || place == ValuePlace::kMiddle || place == ValuePlace::kLast;
    unsigned reasons = 0;
    // Split as SplitFields does: a separator inside quotes belongs to the field.
    bool quoted = false;
    for (const char c : HoldsAnywhereByte(value) ? value : std::string_view()) {
        if (IsLineBreak(c)) {
            reasons |= kRoundTripLineBreak;
        } else if (IsQuote(c)) {
            quoted = !quoted;
        } else if (!quoted && ascii::IsFieldSeparator(c)) {
            reasons |= kRoundTripWhiteSpace;
        }
    }
    // A quote left open takes in the values after it; the last value has none.
    if (quoted && !last) reasons |= kRoundTripQuote;
    // TrimLine takes white space off the line's ends: the start of its first value and the end
    // of its last, quotes or not. A vertical tab or form feed anywhere else is an ordinary byte.
    if (first && ascii::IsSpace(value.front())) reasons |= kRoundTripWhiteSpace;
    if (last && ascii::IsSpace(value.back())) reasons |= kRoundTripWhiteSpace;
    // A mapping line already is one: the keyword in one of its columns changes nothing.
    if (definition && value.find(kMappingKeyword) != std::string_view::npos) {
        reasons |= kRoundTripKeyword;
    }
    if (first && value.front() == kCommentMark) reasons |= kRoundTripLeadingHash;
    // StripRecordEnds; its blanks and tabs are white space above.
    if (first && IsRecordOpening(value.front()) && !ascii::IsFieldSeparator(value.front())) {
        reasons |= kRoundTripLeadingParenthesis;
    }
    if (last && IsRecordClosing(value.back()) && !ascii::IsFieldSeparator(value.back())) {
        reasons |= kRoundTripTrailingParenthesis;
    }
    return reasons;
}

}  // namespace reuseblocks::format
