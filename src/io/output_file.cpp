// SPDX-License-Identifier: MIT
#include "io/output_file.h"

#include <algorithm>

// SSE2 is part of every x86-64 processor; GCC and Clang say so with __SSE2__, MSVC with _M_X64.
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define REUSEBLOCKS_OUTPUT_SSE2 1
#endif

namespace reuseblocks::detail {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;

constexpr std::size_t CountIn(std::string_view text, char byte) {
    std::size_t count = 0;
    for (const char c : text) count += c == byte ? 1 : 0;
    return count;
}
constexpr std::size_t kFeedsPerLineEnd = CountIn(platform::kLineEnd, '\n');
constexpr std::size_t kReturnsPerLineEnd = CountIn(platform::kLineEnd, '\r');

struct LineBreaks {
    std::size_t feeds = 0;
    std::size_t returns = 0;

    bool operator==(const LineBreaks& other) const noexcept {
        return feeds == other.feeds && returns == other.returns;
    }
};

// The line feeds and carriage returns of the text, in one pass: sixteen bytes at a time where
// SSE2 is there, adding up per byte lane and folding the lanes before they can overflow.
LineBreaks CountLineBreaks(const char* data, std::size_t size) {
    LineBreaks found;
    std::size_t i = 0;
#if defined(REUSEBLOCKS_OUTPUT_SSE2)
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i ret = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= size) {
        __m128i feeds = zero;
        __m128i returns = zero;
        for (int lap = 0; lap < 255 && i + 16 <= size; ++lap, i += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            feeds = _mm_sub_epi8(feeds, _mm_cmpeq_epi8(chunk, feed));
            returns = _mm_sub_epi8(returns, _mm_cmpeq_epi8(chunk, ret));
        }
        const __m128i feedSums = _mm_sad_epu8(feeds, zero);
        const __m128i returnSums = _mm_sad_epu8(returns, zero);
        found.feeds += static_cast<std::size_t>(_mm_cvtsi128_si32(feedSums)) +
                       static_cast<std::size_t>(_mm_extract_epi16(feedSums, 4));
        found.returns += static_cast<std::size_t>(_mm_cvtsi128_si32(returnSums)) +
                         static_cast<std::size_t>(_mm_extract_epi16(returnSums, 4));
    }
#endif
    for (; i < size; ++i) {
        found.feeds += data[i] == '\n' ? 1 : 0;
        found.returns += data[i] == '\r' ? 1 : 0;
    }
    return found;
}

// What `lineEnds` line ends hold.
LineBreaks OfLineEnds(std::size_t lineEnds) {
    return LineBreaks{lineEnds * kFeedsPerLineEnd, lineEnds * kReturnsPerLineEnd};
}

// True when the text holds no line feed or carriage return but those of `lineEnds` line ends.
bool OnlyLineEnds(const char* data, std::size_t size, std::size_t lineEnds) {
    return CountLineBreaks(data, size) == OfLineEnds(lineEnds);
}

}  // namespace

bool OutputFile::Open(const char* path) {
    if (!m_buffer) {
        m_buffer.reset(new char[kBufferSize]);  // not zeroed: only written bytes are read
        m_capacity = kBufferSize;
    }
    if (!m_target.Open(path)) {
        m_failure = m_target.Failure();
        return false;
    }
    m_wholeText = m_target.NeedsWholeText();
    return true;
}

void OutputFile::WriteThrough(std::string_view text) {
    if (m_failed) return;
    if (m_wholeText) {
        Hold(text.size());
    } else {
        if (!FlushBuffer()) return;
        if (text.size() >= m_capacity) {
            // Too large for the buffer: straight out, and it ends no line.
            Send(text.data(), text.size(), 0);
            return;
        }
    }
    std::memcpy(m_buffer.get() + m_used, text.data(), text.size());
    m_used += text.size();
}

// Sets the full buffer aside and starts one with room for `needed` more bytes.
void OutputFile::Hold(std::size_t needed) {
    const std::size_t capacity = std::max(kBufferSize, needed);
    std::unique_ptr<char[]> next(new char[capacity]);
    m_held.reserve(m_held.size() + 1);  // may throw: before anything has moved
    m_held.push_back(Chunk{std::move(m_buffer), m_used});
    m_buffer = std::move(next);
    m_capacity = capacity;
    m_used = 0;
}

bool OutputFile::Send(const char* data, std::size_t size, std::size_t lineEnds) {
    if (m_failed) return false;
    if (!OnlyLineEnds(data, size, lineEnds)) {
        m_failure = platform::OutputFailure{WriteStep::kCheck, 0};
        m_failed = true;
    } else if (!m_target.Write(data, size)) {
        m_failure = m_target.Failure();
        m_failed = true;
    }
    return !m_failed;
}

bool OutputFile::FlushBuffer() {
    if (m_used > 0) Send(m_buffer.get(), m_used, m_lineEnds);
    m_used = 0;
    m_lineEnds = 0;
    return !m_failed;
}

bool OutputFile::Commit() {
    const bool failedBefore = m_failed;
    if (m_wholeText && !m_failed) {
        // Every line end counted so far lies in the held chunks and the buffer.
        LineBreaks found = CountLineBreaks(m_buffer.get(), m_used);
        for (const Chunk& chunk : m_held) {
            const LineBreaks inChunk = CountLineBreaks(chunk.data.get(), chunk.size);
            found.feeds += inChunk.feeds;
            found.returns += inChunk.returns;
        }
        if (!(found == OfLineEnds(m_lineEnds))) {
            m_failure = platform::OutputFailure{WriteStep::kCheck, 0};
            m_failed = true;
        }
        for (const Chunk& chunk : m_held) {
            if (!m_failed && chunk.size > 0 && !m_target.Write(chunk.data.get(), chunk.size)) {
                m_failure = m_target.Failure();
                m_failed = true;
            }
        }
        m_lineEnds = 0;  // checked above
        if (!m_failed && m_used > 0 && !m_target.Write(m_buffer.get(), m_used)) {
            m_failure = m_target.Failure();
            m_failed = true;
        }
        m_used = 0;
    }
    bool ok = FlushBuffer();
    if (ok && !m_target.Commit()) {
        m_failure = m_target.Failure();
        ok = false;
    }
    // A write that fails here sends out what was kept back, not text as it was being made.
    if (!ok && !failedBefore && m_failure.step == WriteStep::kWrite) {
        m_failure.step = WriteStep::kFlush;
    }
    if (!ok) m_target.Discard();
    return ok;
}

}  // namespace reuseblocks::detail
