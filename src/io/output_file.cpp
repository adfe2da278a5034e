// SPDX-License-Identifier: MIT
#include "io/output_file.h"

#include <algorithm>
#include <cstdint>

namespace reuseblocks::detail {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 20;

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

void OutputFile::OpenText(std::string& text) {
    // The text grows as it is written: a small buffer before it is enough.
    constexpr std::size_t kTextBufferSize = std::size_t{64} << 10;
    if (!m_buffer) {
        m_buffer.reset(new char[kTextBufferSize]);
        m_capacity = kTextBufferSize;
    }
    m_text = &text;
}

void OutputFile::WriteThrough(std::string_view text) {
    if (m_failed) return;
    if (m_wholeText) {
        Hold(text.size());
    } else {
        if (!FlushBuffer()) return;
        if (text.size() >= m_capacity) {
            // Too large for the buffer: straight out, and it ends no line.
            Send(text.data(), text.size());
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

bool OutputFile::Send(const char* data, std::size_t size) {
    if (m_failed) return false;
    if (m_text) {
        m_text->append(data, size);
        return true;
    }
    if (!m_target.Write(data, size)) {
        m_failure = m_target.Failure();
        m_failed = true;
    }
    return !m_failed;
}

bool OutputFile::FlushBuffer() {
    if (m_used > 0) Send(m_buffer.get(), m_used);
    m_used = 0;
    return !m_failed;
}

bool OutputFile::Commit() {
    if (m_text) return FlushBuffer();
    const bool failedBefore = m_failed;
    if (m_wholeText && !m_failed) {
        std::uint64_t size = m_used;
        for (const Chunk& chunk : m_held) size += chunk.size;
        if (!m_target.Reserve(size)) {
            m_failure = m_target.Failure();
            m_failed = true;
        }
        for (const Chunk& chunk : m_held) {
            if (!m_failed && chunk.size > 0 && !m_target.Write(chunk.data.get(), chunk.size)) {
                m_failure = m_target.Failure();
                m_failed = true;
            }
        }
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
