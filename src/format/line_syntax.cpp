// SPDX-License-Identifier: MIT
#include "format/line_syntax.h"

#include "format/chunk_classes.h"

#include <reuseblocks/ascii.h>

#include <algorithm>
#include <cstring>

namespace reuseblocks::format {

namespace {
constexpr std::size_t kMaxQuotedLength = 60;
}  // namespace

std::string_view TrimLine(std::string_view line) noexcept {
    return ascii::TrimSpace(line);
}

LineKind ClassifyLine(std::string_view line) noexcept {
    line = TrimLine(line);
    if (line.empty()) return LineKind::kEmpty;
    if (line.front() == kCommentMark) return LineKind::kComment;
    return line.find(kMappingKeyword) != std::string_view::npos ? LineKind::kMapping
                                                                : LineKind::kDefinition;
}

std::string_view StripRecordEnds(std::string_view text) noexcept {
    while (!text.empty() && IsRecordOpening(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsRecordClosing(text.back())) text.remove_suffix(1);
    return text;
}

bool HoldsLineBreak(std::string_view text) noexcept {
    static_assert(IsLineBreak('\n') && IsLineBreak('\r'));
    // Most values are a few bytes long, too short for a library search to pay for its call.
    constexpr std::size_t kShortText = 32;
    if (text.size() <= kShortText) return std::any_of(text.begin(), text.end(), IsLineBreak);
    return std::memchr(text.data(), '\n', text.size()) != nullptr ||
           std::memchr(text.data(), '\r', text.size()) != nullptr;
}

std::size_t CountLineFeeds(std::string_view text) noexcept {
    std::size_t count = 0;
    std::size_t at = 0;
#if defined(REUSEBLOCKS_FORMAT_SSE2)
    // Each byte lane counts its feeds for up to 255 chunks, then the lanes are summed.
    constexpr std::size_t kMostChunksCounted = 255;
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (text.size() - at >= 16) {
        const std::size_t chunks = std::min((text.size() - at) / 16, kMostChunksCounted);
        __m128i lanes = zero;
        for (std::size_t chunk = 0; chunk < chunks; ++chunk, at += 16) {
            const __m128i bytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, feed));
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);  // two halves, each at most 8 * 255
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; at < text.size(); ++at) count += text[at] == '\n' ? 1u : 0u;
    return count;
}

bool LineScanner::Next(ScannedLine& line) noexcept {
    if (m_offset >= m_text.size()) return false;
    const std::size_t feed = m_text.find('\n', m_offset);
    const std::size_t end = feed == std::string_view::npos ? m_text.size() : feed;
    const std::size_t next = feed == std::string_view::npos ? m_text.size() : feed + 1;
    line.number = ++m_number;
    line.offset = m_offset;
    line.text = m_text.substr(m_offset, end - m_offset);
    line.whole = m_text.substr(m_offset, next - m_offset);
    m_offset = next;
    return true;
}

std::string QuotedExcerpt(std::string_view text) {
    std::string quoted = "\"";
    quoted.append(text.substr(0, kMaxQuotedLength));
    if (text.size() > kMaxQuotedLength) quoted += "...";
    return quoted + "\"";
}

std::string FieldCountMessage(LineKind kind, std::size_t found) {
    const bool mapping = kind == LineKind::kMapping;
    const std::size_t expected = mapping ? kMappingFieldCount : kDefinitionFieldCount;
    return std::string(mapping ? "mapping" : "definition") + " line has " + std::to_string(found) +
           (found == 1 ? " field, " : " fields, ") + std::to_string(expected) + " expected";
}

std::string DuplicateIDMessage(std::string_view id) {
    return "block ID " + QuotedExcerpt(id) + " is already defined";
}

std::string ForeignMappingMessage(std::string_view named, std::string_view current) {
    return "mapping line names block " + QuotedExcerpt(named) + ", but the block defined last is " +
           QuotedExcerpt(current);
}

}  // namespace reuseblocks::format
