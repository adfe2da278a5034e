// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_LINE_READER_H
#define REUSEBLOCKS_IO_LINE_READER_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace reuseblocks::detail {

// Hands out the lines of an open file one by one, whole at any length, through large
// reads, or those of a text in memory without copying it. A line is everything up to a line feed,
// which is not part of it; NUL bytes are ordinary. The last line needs no line feed.
class LineReader {
  public:
    // Reads on from where the file stands, to its end.
    explicit LineReader(platform::FileReader& file);
    // Reads a regular file from `offset` on, each read at its own offset, so that readers on
    // several threads can share the file. Reads are smaller, since such a reader usually stops
    // long before the end.
    LineReader(platform::FileReader& file, std::uint64_t offset);
    // Reads `text` from `offset` on; offsets and errors are as for a file holding it. `text` must
    // outlive the reader.
    explicit LineReader(std::string_view text, std::uint64_t offset = 0);

    // The next line, valid until the next call; false at the end of the file or on a read error.
    bool ReadLine(std::string_view& line);
    // Moves to just after the next line feed, without keeping what it passes. False, having
    // stopped somewhere short, when no line feed comes before file offset `limit`, at the end of
    // the file or on a read error.
    bool SkipPastLineFeed(std::uint64_t limit);

    // The error of the read that failed, 0 when reading ended at the end of the file.
    platform::ErrorCode Error() const noexcept { return m_error; }
    // 1-based number of the line last returned, counted from where reading started.
    unsigned long LineNumber() const noexcept { return m_lineNumber; }
    // File offset of the first byte of the line last returned, counted from where reading started
    // for a reader of the first kind.
    std::uint64_t LineOffset() const noexcept { return m_lineOffset; }

  private:
    bool Fill();

    platform::FileReader* m_file;  // null for a text
    const bool m_positional;
    std::vector<char> m_buffer;
    const char* m_data;            // m_buffer's, or the text's
    std::uint64_t m_bufferOffset;  // of m_data[0] in the file
    std::size_t m_begin = 0;       // unconsumed data is [m_begin, m_end)
    std::size_t m_end = 0;
    bool m_atEnd = false;
    platform::ErrorCode m_error = 0;
    unsigned long m_lineNumber = 0;
    std::uint64_t m_lineOffset = 0;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_LINE_READER_H
