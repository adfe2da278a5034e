// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_CSV_READER_H
#define REUSEBLOCKS_TOOLS_RECORDS_CSV_READER_H

#include <istream>
#include <string>
#include <vector>

namespace reuseblocks::tool {

// Records of comma-separated values as spreadsheets write them: fields in double quotes may
// hold commas, line breaks and doubled quotes; lines end in LF or CR LF; a UTF-8 byte order
// mark before the first record is dropped, and so are empty lines.
class CsvReader {
  public:
    // `separator` is a tab for TSV.
    explicit CsvReader(std::istream& in, char separator = ',') : m_in(in), m_separator(separator) {}

    // The next record's fields and the physical line it starts on; false at the end or on a
    // malformed record, which Error() then describes.
    bool Next(std::vector<std::string>& fields, unsigned long& line);
    const std::string& Error() const { return m_error; }

  private:
    int Get();

    std::istream& m_in;
    char m_separator;
    unsigned long m_line = 1;
    bool m_started = false;
    std::string m_error;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_CSV_READER_H
