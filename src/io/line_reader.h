#ifndef REUSEBLOCKS_IO_LINE_READER_H
#define REUSEBLOCKS_IO_LINE_READER_H

#include <cstddef>
#include <string_view>
#include <vector>

namespace reuseblocks::detail {

// Hands out the lines of an open file descriptor one by one, whole at any length, through large
// reads. A line is everything up to a line feed, which is not part of it; NUL bytes are ordinary.
// The last line needs no line feed.
class LineReader {
  public:
    explicit LineReader(int fd);

    // The next line, valid until the next call; false at the end of the file or on a read error.
    bool ReadLine(std::string_view& line);

    // The errno of the read that failed, 0 when reading ended at the end of the file.
    int Error() const noexcept { return m_error; }
    // 1-based number of the line last returned.
    unsigned long LineNumber() const noexcept { return m_lineNumber; }

  private:
    bool Fill();

    int m_fd;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;  // unconsumed data is [m_begin, m_end)
    std::size_t m_end = 0;
    bool m_atEnd = false;
    int m_error = 0;
    unsigned long m_lineNumber = 0;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_LINE_READER_H
