// SPDX-License-Identifier: MIT
#include "table.h"

#include <algorithm>
#include <ostream>

#include "terminal/text_escape.h"

namespace reuseblocks::tool {

void AlignedTable::AddRow(const std::vector<std::string>& cells) {
    if (m_widths.size() < cells.size()) m_widths.resize(cells.size(), 0);
    std::vector<std::string> shown;
    for (const std::string& cell : cells) {
        shown.push_back(Cell(cell));
        m_widths[shown.size() - 1] =
            std::max(m_widths[shown.size() - 1], DisplayWidth(shown.back()));
    }
    m_rows.push_back(std::move(shown));
}

void AlignedTable::Print(std::ostream& out) const {
    for (const std::vector<std::string>& row : m_rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            if (column > 0) {
                line.append(m_widths[column - 1] - DisplayWidth(row[column - 1]) + 2, ' ');
            }
            line += row[column];
        }
        out << line << '\n';
    }
}

std::string Cell(const std::string& value) {
    return value.empty() ? "-" : EscapeForDisplay(value);
}

}  // namespace reuseblocks::tool
