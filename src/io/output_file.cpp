#include "io/output_file.h"

#include <algorithm>

namespace reuseblocks::detail {

namespace {
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
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
        Grow(text.size());
        std::memcpy(m_buffer.get() + m_used, text.data(), text.size());
        m_used += text.size();
        return;
    }
    if (!FlushBuffer()) return;
    if (text.size() >= m_capacity) {
        if (!m_target.Write(text.data(), text.size())) m_failed = true;
        return;
    }
    std::memcpy(m_buffer.get(), text.data(), text.size());
    m_used = text.size();
}

void OutputFile::Grow(std::size_t needed) {
    const std::size_t capacity = std::max(m_capacity * 2, m_used + needed);
    std::unique_ptr<char[]> larger(new char[capacity]);
    std::memcpy(larger.get(), m_buffer.get(), m_used);
    m_buffer = std::move(larger);
    m_capacity = capacity;
}

bool OutputFile::FlushBuffer() {
    if (!m_failed && m_used > 0 && !m_target.Write(m_buffer.get(), m_used)) m_failed = true;
    m_used = 0;
    return !m_failed;
}

bool OutputFile::Commit() {
    const bool ok = FlushBuffer() && m_target.Commit();
    if (!ok) m_target.Discard();
    return ok;
}

}  // namespace reuseblocks::detail
