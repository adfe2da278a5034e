// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_FORMAT_CHUNK_CLASSES_H
#define REUSEBLOCKS_FORMAT_CHUNK_CLASSES_H
// The bytes a line's syntax turns on, sixteen at a time, for the loops every value of a file
// passes through.

#include <reuseblocks/ascii.h>

#include "format/line_syntax.h"

// SSE2 is part of every x86-64 processor; GCC and Clang say so with __SSE2__, MSVC with _M_X64.
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define REUSEBLOCKS_FORMAT_SSE2 1
#endif

namespace reuseblocks::format {

#if defined(REUSEBLOCKS_FORMAT_SSE2)
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
    // The bytes of ascii::IsFieldSeparator and IsQuote (line breaks are separators too).
    const __m128i m_blank = _mm_set1_epi8(' ');
    const __m128i m_tab = _mm_set1_epi8('\t');
    const __m128i m_return = _mm_set1_epi8('\r');
    const __m128i m_feed = _mm_set1_epi8('\n');
    const __m128i m_double = _mm_set1_epi8('"');
    const __m128i m_single = _mm_set1_epi8('\'');
};
#endif

}  // namespace reuseblocks::format

#endif  // REUSEBLOCKS_FORMAT_CHUNK_CLASSES_H
