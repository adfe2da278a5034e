// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TEXT_OUTPUT_H
#define REUSEBLOCKS_TOOLS_TEXT_OUTPUT_H

#include <iosfwd>
#include <string>
#include <vector>

namespace reuseblocks::tool {

// Rows of text cells printed in left-aligned columns two blanks apart, with no trailing blanks.
// Columns line up by display width, so cells must be valid UTF-8 (Cell makes them so).
class AlignedTable {
  public:
    void AddRow(std::vector<std::string> cells);
    void Print(std::ostream& out) const;

  private:
    std::vector<std::vector<std::string>> m_rows;
    std::vector<std::size_t> m_widths;
};

// A value as a table cell: "-" stands for an empty value, which would otherwise shift columns;
// control characters and bytes that are not UTF-8 are escaped.
std::string Cell(const std::string& value);

// "1 block", "12 blocks".
std::string Counted(std::size_t count, const char* singular, const char* plural);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TEXT_OUTPUT_H
