// SPDX-License-Identifier: MIT
#include "table.h"

#include <algorithm>
#include <ostream>

#include "terminal/text_escape.h"

namespace reuseblocks::tool {

void TableWidths::Fit(std::size_t column, std::string_view value) {
    if (m_widths.size() <= column) m_widths.resize(column + 1, 0);
    m_shown.clear();
    m_widths[column] = std::max(m_widths[column], AppendCell(m_shown, value));
}

void TableWidths::Widen(const TableWidths& other) {
    if (m_widths.size() < other.m_widths.size()) m_widths.resize(other.m_widths.size(), 0);
    for (std::size_t column = 0; column < other.m_widths.size(); ++column) {
        m_widths[column] = std::max(m_widths[column], other.m_widths[column]);
    }
}

void TableRow::Add(std::string_view value) {
    if (m_column > 0) m_out.append(m_widths.Of(m_column - 1) - m_lastWidth + 2, ' ');
    m_lastWidth = AppendCell(m_out, value);
    ++m_column;
}

void TableRow::End() {
    m_out += '\n';
    m_column = 0;
    m_lastWidth = 0;
}

void AlignedTable::AddRow(const std::vector<std::string>& cells) {
    for (std::size_t column = 0; column < cells.size(); ++column) {
        m_widths.Fit(column, cells[column]);
    }
    m_rows.push_back(cells);
}

void AlignedTable::Print(std::ostream& out) const {
    std::string line;
    for (const std::vector<std::string>& cells : m_rows) {
        line.clear();
        TableRow row(m_widths, line);
        for (const std::string& cell : cells) row.Add(cell);
        row.End();
        out << line;
    }
}

std::string Cell(const std::string& value) {
    std::string shown;
    AppendCell(shown, value);
    return shown;
}

std::size_t AppendCell(std::string& out, std::string_view value) {
    if (value.empty()) {
        out += '-';
        return 1;
    }
    return AppendEscapedForDisplay(out, value);
}

}  // namespace reuseblocks::tool
