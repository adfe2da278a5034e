// SPDX-License-Identifier: MIT
#include "io/line_reader.h"

#include <algorithm>
#include <cstring>

namespace reuseblocks::detail {

namespace {
// Small files, the common case for hosts, cost one small buffer; large ones grow it to reads of
// this size.
constexpr std::size_t kFirstBufferSize = 16 * 1024;
constexpr std::size_t kReadSize = 256 * 1024;
// A reader of one piece of a file reads a little past the piece's end: smaller reads waste less.
constexpr std::size_t kPositionalReadSize = 64 * 1024;
}  // namespace

LineReader::LineReader(platform::FileReader& file)
    : m_file(&file),
      m_positional(false),
      m_buffer(kFirstBufferSize),
      m_data(m_buffer.data()),
      m_bufferOffset(0) {}

LineReader::LineReader(platform::FileReader& file, std::uint64_t offset)
    : m_file(&file),
      m_positional(true),
      m_buffer(kPositionalReadSize),
      m_data(m_buffer.data()),
      m_bufferOffset(offset) {}

// The whole text is one buffer that never needs filling.
LineReader::LineReader(std::string_view text, std::uint64_t offset)
    : m_file(nullptr),
      m_positional(true),
      m_data(text.data() ? text.data() : ""),  // memchr must never see null
      m_bufferOffset(0),
      m_begin(static_cast<std::size_t>(std::min<std::uint64_t>(offset, text.size()))),
      m_end(text.size()),
      m_atEnd(true) {}

bool LineReader::ReadLine(std::string_view& line) {
    std::size_t scanned = m_begin;  // no line feed in [m_begin, scanned)
    for (;;) {
        const char* data = m_data;
        const void* found = std::memchr(data + scanned, '\n', m_end - scanned);
        if (found) {
            const std::size_t feed =
                static_cast<std::size_t>(static_cast<const char*>(found) - data);
            line = std::string_view(data + m_begin, feed - m_begin);
            m_lineOffset = m_bufferOffset + m_begin;
            m_begin = feed + 1;
            ++m_lineNumber;
            return true;
        }
        if (m_atEnd || m_error) {
            if (m_error || m_begin == m_end) return false;
            line = std::string_view(data + m_begin, m_end - m_begin);
            m_lineOffset = m_bufferOffset + m_begin;
            m_begin = m_end;
            ++m_lineNumber;
            return true;
        }
        scanned = m_end - m_begin;
        if (!Fill()) return false;
        scanned += m_begin;  // Fill moved the pending data to the front
    }
}

bool LineReader::SkipPastLineFeed(std::uint64_t limit) {
    for (;;) {
        const char* data = m_data;
        // A text is searched no further than `limit`: a text without line feeds would otherwise
        // be searched to its end once for every piece.
        std::size_t stop = m_end;
        if (!m_file && limit - m_bufferOffset < stop) {
            stop = static_cast<std::size_t>(limit - m_bufferOffset);
        }
        const void* found =
            m_begin < stop ? std::memchr(data + m_begin, '\n', stop - m_begin) : nullptr;
        if (found) {
            m_begin = static_cast<std::size_t>(static_cast<const char*>(found) - data) + 1;
            return true;
        }
        m_begin = m_end;
        if (m_atEnd || m_error || m_bufferOffset + m_end >= limit || !Fill()) return false;
    }
}

bool LineReader::Fill() {
    // Move the unfinished line to the front, and grow when it fills the whole buffer.
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_bufferOffset += m_begin;
        m_end -= m_begin;
        m_begin = 0;
    }
    const std::size_t readSize = m_positional ? kPositionalReadSize : kReadSize;
    if (m_buffer.size() - m_end < readSize / 2) {
        m_buffer.resize(m_buffer.size() * 2);
        m_data = m_buffer.data();
    }
    std::size_t wanted = m_buffer.size() - m_end;
    if (m_positional && wanted > readSize) wanted = readSize;
    char* into = m_buffer.data() + m_end;
    const std::ptrdiff_t got = m_positional
                                   ? m_file->ReadAt(m_bufferOffset + m_end, into, wanted, m_error)
                                   : m_file->Read(into, wanted, m_error);
    if (got < 0) return false;
    if (got == 0) m_atEnd = true;
    m_end += static_cast<std::size_t>(got);
    return true;
}

}  // namespace reuseblocks::detail
