// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_OUTPUT_FILE_H
#define REUSEBLOCKS_IO_OUTPUT_FILE_H

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace reuseblocks::detail {

// A file being written through one large buffer, replaced as a whole or not at all where the
// system allows it (platform::OutputTarget decides). When the target cannot be replaced, the whole
// text is gathered in memory before the target is touched.
//
// It writes text as it is given: whoever formats the text refuses the values that would break a
// line before anything is opened.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False when the file cannot be opened for writing (Failure says why).
    bool Open(const char* path);
    // Appends the text to `text` instead of writing a file; nothing can fail but memory.
    void OpenText(std::string& text);
    // Buffers `text`; a failure is remembered and reported by Commit. Inline because the writer
    // calls it once per field: the common case is a single copy into the buffer.
    void Write(std::string_view text) {
        if (text.size() <= m_capacity - m_used) {
            if (!text.empty()) std::memcpy(m_buffer.get() + m_used, text.data(), text.size());
            m_used += text.size();
        } else {
            WriteThrough(text);
        }
    }
    // Ends a line with the system's line end.
    void EndLine() { Write(platform::kLineEnd); }
    // Where `bytes` more can go straight into the buffer, or null when they do not fit: the
    // caller then writes piece by piece. Added must follow, with what was really put there.
    char* Room(std::size_t bytes) noexcept {
        return bytes <= m_capacity - m_used ? m_buffer.get() + m_used : nullptr;
    }
    void Added(std::size_t bytes) noexcept { m_used += bytes; }
    // Writes out what is buffered, closes the file and puts it in place. False on any failure.
    bool Commit();
    // Why Open or Commit failed: the system's step and error. A write that fails within Commit is
    // kFlush.
    const platform::OutputFailure& Failure() const noexcept { return m_failure; }

  private:
    struct Chunk {
        std::unique_ptr<char[]> data;
        std::size_t size;
    };

    void WriteThrough(std::string_view text);
    void Hold(std::size_t needed);
    bool FlushBuffer();
    // Sends `size` bytes to the target; false, with the failure kept, when the target fails.
    bool Send(const char* data, std::size_t size);

    platform::OutputTarget m_target;
    std::string* m_text = nullptr;  // the text written to instead, when set
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
    bool m_wholeText = false;  // keep everything until Commit, in m_held and the buffer
    std::vector<Chunk> m_held;
    bool m_failed = false;
    platform::OutputFailure m_failure;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_OUTPUT_FILE_H
