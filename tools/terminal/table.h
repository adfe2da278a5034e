// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TERMINAL_TABLE_H
#define REUSEBLOCKS_TOOLS_TERMINAL_TABLE_H

#include <iosfwd>
#include <string>
#include <vector>

namespace reuseblocks::tool {

// Rows of text printed in left-aligned columns two blanks apart, with no trailing blanks. Cells
// are taken as they came, from a file or from the tool, and shown as Cell shows them, so that a
// table cannot print a control character and its columns line up by display width.
class AlignedTable {
  public:
    void AddRow(const std::vector<std::string>& cells);
    void Print(std::ostream& out) const;

  private:
    std::vector<std::vector<std::string>> m_rows;
    std::vector<std::size_t> m_widths;
};

// A value as a terminal shows it: "-" stands for an empty value, which would otherwise shift
// columns; control characters and bytes that are not UTF-8 are escaped.
std::string Cell(const std::string& value);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TERMINAL_TABLE_H
