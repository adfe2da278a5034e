// SPDX-License-Identifier: MIT
#include "io/line_reader.h"

#include <cstring>

namespace reuseblocks::detail {

namespace {
// Small files, the common case for hosts, cost one small buffer; large ones grow it to reads of
// this size.
constexpr std::size_t kFirstBufferSize = 16 * 1024;
constexpr std::size_t kReadSize = 256 * 1024;
}  // namespace

LineReader::LineReader(platform::FileReader& file) : m_file(file), m_buffer(kFirstBufferSize) {}

bool LineReader::ReadLine(std::string_view& line) {
    std::size_t scanned = m_begin;  // no line feed in [m_begin, scanned)
    for (;;) {
        const char* data = m_buffer.data();
        const void* found = std::memchr(data + scanned, '\n', m_end - scanned);
        if (found) {
            const std::size_t feed =
                static_cast<std::size_t>(static_cast<const char*>(found) - data);
            line = std::string_view(data + m_begin, feed - m_begin);
            m_begin = feed + 1;
            ++m_lineNumber;
            return true;
        }
        if (m_atEnd || m_error) {
            if (m_error || m_begin == m_end) return false;
            line = std::string_view(data + m_begin, m_end - m_begin);
            m_begin = m_end;
            ++m_lineNumber;
            return true;
        }
        scanned = m_end - m_begin;
        if (!Fill()) return false;
        scanned += m_begin;  // Fill moved the pending data to the front
    }
}

bool LineReader::Fill() {
    // Move the unfinished line to the front, and grow when it fills the whole buffer.
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_buffer.size() - m_end < kReadSize / 2) m_buffer.resize(m_buffer.size() * 2);
    const std::ptrdiff_t got =
        m_file.Read(m_buffer.data() + m_end, m_buffer.size() - m_end, m_error);
    if (got < 0) return false;
    if (got == 0) m_atEnd = true;
    m_end += static_cast<std::size_t>(got);
    return true;
}

}  // namespace reuseblocks::detail
