#ifndef REUSEBLOCKS_IO_OUTPUT_FILE_H
#define REUSEBLOCKS_IO_OUTPUT_FILE_H

#include <sys/stat.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "io/unique_fd.h"

namespace reuseblocks::detail {

// A file being written through one large buffer, replaced as a whole or not at all.
//
// When the target is a regular file with a single link, or does not exist yet, the text goes to
// a temporary file beside it that is renamed over the target only once every write, the flush,
// fsync and the close have succeeded; a symlink is followed and its target replaced, and an
// existing file's permission bits (and owner, where allowed) are kept. Anything else (a device, a
// FIFO, a file with several hard links, a directory where no temporary file can be made) is
// written in place. If the object is destroyed before Commit succeeds, the temporary file is
// removed and the target keeps its old content.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

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
    bool FlushBuffer();
    bool OpenReplacement(const std::string& target, const struct stat* existing);
    void Discard() noexcept;

    UniqueFd m_fd;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
    std::string m_target;     // the file that a successful Commit leaves holding the text
    std::string m_temporary;  // empty when writing in place
    bool m_failed = false;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_OUTPUT_FILE_H
