// SPDX-License-Identifier: MIT
#include "text_output.h"

#include <algorithm>
#include <ostream>

#include "text_escape.h"

namespace reuseblocks::tool {

void AlignedTable::AddRow(std::vector<std::string> cells) {
    if (m_widths.size() < cells.size()) m_widths.resize(cells.size(), 0);
    for (std::size_t column = 0; column < cells.size(); ++column) {
        m_widths[column] = std::max(m_widths[column], DisplayWidth(cells[column]));
    }
    m_rows.push_back(std::move(cells));
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

std::string Counted(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace reuseblocks::tool
