// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_LINE_READER_H
#define REUSEBLOCKS_IO_LINE_READER_H

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace reuseblocks::detail {

// Hands out the lines of an open file one by one, whole at any length, through large
// reads. A line is everything up to a line feed, which is not part of it; NUL bytes are ordinary.
// The last line needs no line feed.
class LineReader {
  public:
    explicit LineReader(platform::FileReader& file);

    // The next line, valid until the next call; false at the end of the file or on a read error.
    bool ReadLine(std::string_view& line);

    // The error of the read that failed, 0 when reading ended at the end of the file.
    platform::ErrorCode Error() const noexcept { return m_error; }
    // 1-based number of the line last returned.
    unsigned long LineNumber() const noexcept { return m_lineNumber; }

  private:
    bool Fill();

    platform::FileReader& m_file;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;  // unconsumed data is [m_begin, m_end)
    std::size_t m_end = 0;
    bool m_atEnd = false;
    platform::ErrorCode m_error = 0;
    unsigned long m_lineNumber = 0;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_LINE_READER_H
