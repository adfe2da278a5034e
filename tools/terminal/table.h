// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TERMINAL_TABLE_H
#define REUSEBLOCKS_TOOLS_TERMINAL_TABLE_H

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace reuseblocks::tool {

// The widths of a table's columns, for a table printed in two passes over its rows: every cell
// is fitted first, then each row is appended where it goes (TableRow), so that a table of any
// length needs no more memory than its widths. Cells are shown as Cell shows them.
class TableWidths {
  public:
    // Widens `column` to `value` as Cell shows it.
    void Fit(std::size_t column, std::string_view value);
    // Widens every column to `other`'s width of it, as if `other`'s values were fitted here.
    void Widen(const TableWidths& other);
    std::size_t Of(std::size_t column) const {
        return column < m_widths.size() ? m_widths[column] : 0;
    }

  private:
    std::vector<std::size_t> m_widths;
    std::string m_shown;  // reused, so that fitting allocates nothing once warm
};

// One row of a table laid out by `widths`, appended cell by cell to `out`: left-aligned columns
// two blanks apart, no trailing blanks, a newline at End.
class TableRow {
  public:
    TableRow(const TableWidths& widths, std::string& out) : m_widths(widths), m_out(out) {}
    void Add(std::string_view value);
    void End();

  private:
    const TableWidths& m_widths;
    std::string& m_out;
    std::size_t m_column = 0;
    std::size_t m_lastWidth = 0;  // of the cell before, shown
};

// Rows of text printed in left-aligned columns two blanks apart, with no trailing blanks. Cells
// are taken as they came, from a file or from the tool, and shown as Cell shows them, so that a
// table cannot print a control character and its columns line up by display width.
class AlignedTable {
  public:
    void AddRow(const std::vector<std::string>& cells);
    void Print(std::ostream& out) const;

  private:
    std::vector<std::vector<std::string>> m_rows;
    TableWidths m_widths;
};

// A value as a terminal shows it: "-" stands for an empty value, which would otherwise shift
// columns; control characters and bytes that are not UTF-8 are escaped.
std::string Cell(const std::string& value);

// Appends Cell(value) to `out` and returns its display width.
std::size_t AppendCell(std::string& out, std::string_view value);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TERMINAL_TABLE_H
