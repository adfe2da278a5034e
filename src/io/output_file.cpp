// SPDX-License-Identifier: MIT
#include "io/output_file.h"

#include <algorithm>

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

std::size_t CountOf(const char* data, std::size_t size, char byte) {
    std::size_t count = 0;
    const char* const end = data + size;
    while (data < end) {
        data =
            static_cast<const char*>(std::memchr(data, byte, static_cast<std::size_t>(end - data)));
        if (!data) break;
        ++data;
        ++count;
    }
    return count;
}

// True when the text holds no line feed or carriage return but those of `lineEnds` line ends.
bool OnlyLineEnds(const char* data, std::size_t size, std::size_t lineEnds) {
    return CountOf(data, size, '\n') == lineEnds * kFeedsPerLineEnd &&
           CountOf(data, size, '\r') == lineEnds * kReturnsPerLineEnd;
}

}  // namespace

bool OutputFile::Open(const char* path) {
    if (!m_buffer) {
        m_buffer.reset(new char[kBufferSize]);  // not zeroed: only written bytes are read
        m_capacity = kBufferSize;
    }
    if (!m_target.Open(path)) return false;
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
            if (!OnlyLineEnds(text.data(), text.size(), 0) ||
                !m_target.Write(text.data(), text.size())) {
                m_failed = true;
            }
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

bool OutputFile::FlushBuffer() {
    if (!m_failed && m_used > 0 &&
        (!OnlyLineEnds(m_buffer.get(), m_used, m_lineEnds) ||
         !m_target.Write(m_buffer.get(), m_used))) {
        m_failed = true;
    }
    m_used = 0;
    m_lineEnds = 0;
    return !m_failed;
}

bool OutputFile::Commit() {
    if (m_wholeText && !m_failed) {
        // Every line end counted so far lies in the held chunks and the buffer.
        std::size_t feeds = CountOf(m_buffer.get(), m_used, '\n');
        std::size_t returns = CountOf(m_buffer.get(), m_used, '\r');
        for (const Chunk& chunk : m_held) {
            feeds += CountOf(chunk.data.get(), chunk.size, '\n');
            returns += CountOf(chunk.data.get(), chunk.size, '\r');
        }
        m_failed =
            feeds != m_lineEnds * kFeedsPerLineEnd || returns != m_lineEnds * kReturnsPerLineEnd;
        for (const Chunk& chunk : m_held) {
            if (!m_failed && chunk.size > 0 && !m_target.Write(chunk.data.get(), chunk.size)) {
                m_failed = true;
            }
        }
        m_lineEnds = 0;  // checked above
        if (!m_failed && m_used > 0 && !m_target.Write(m_buffer.get(), m_used)) m_failed = true;
        m_used = 0;
    }
    const bool ok = FlushBuffer() && m_target.Commit();
    if (!ok) m_target.Discard();
    return ok;
}

}  // namespace reuseblocks::detail
