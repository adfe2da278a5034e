#ifndef REUSEBLOCKS_IO_OUTPUT_FILE_H
#define REUSEBLOCKS_IO_OUTPUT_FILE_H

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace reuseblocks::detail {

// A file being written through one large buffer, replaced as a whole or not at all where the
// system allows it (platform::OutputTarget decides). When the target is written in place, the
// whole text is gathered in memory before the target is touched.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False when the file cannot be opened for writing.
    bool Open(const char* path);
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
    // Writes out what is buffered, closes the file and puts it in place. False on any failure.
    bool Commit();

  private:
    void WriteThrough(std::string_view text);
    void Grow(std::size_t needed);
    bool FlushBuffer();

    platform::OutputTarget m_target;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
    bool m_wholeText = false;  // keep everything until Commit
    bool m_failed = false;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_OUTPUT_FILE_H
