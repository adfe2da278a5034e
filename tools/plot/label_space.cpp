// SPDX-License-Identifier: MIT
#include "plot/label_space.h"

#include <algorithm>
#include <cmath>

namespace reuseblocks::tool {

namespace {

std::size_t CellCount(double length, double cellSize) {
    return static_cast<std::size_t>(std::max(1.0, std::ceil(length / cellSize)));
}

// The cell holding `offset`, clamped to the raster.
std::size_t CellAt(double offset, double cellSize, std::size_t count) {
    if (!(offset > 0)) return 0;
    const double cell = std::floor(offset / cellSize);
    const auto last = static_cast<double>(count - 1);
    return cell >= last ? count - 1 : static_cast<std::size_t>(cell);
}

}  // namespace

LabelSpace::LabelSpace(Box area, double cellSize)
    : m_area(area),
      m_cellSize(cellSize),
      m_columns(CellCount(area.width, cellSize)),
      m_rows(CellCount(area.height, cellSize)),
      m_taken(m_columns * m_rows, false) {}

LabelSpace::CellRange LabelSpace::CellsUnder(const Box& box) const {
    // Boxes that only touch, or overlap by less than half a cell, share no cell.
    const double slack = std::min({m_cellSize / 2, box.width / 2, box.height / 2});
    const double left = box.left - m_area.left + slack;
    const double top = box.top - m_area.top + slack;
    const double right = box.left - m_area.left + box.width - slack;
    const double bottom = box.top - m_area.top + box.height - slack;
    return {CellAt(left, m_cellSize, m_columns), CellAt(right, m_cellSize, m_columns),
            CellAt(top, m_cellSize, m_rows), CellAt(bottom, m_cellSize, m_rows)};
}

void LabelSpace::Take(const Box& box) {
    const CellRange cells = CellsUnder(box);
    for (std::size_t row = cells.firstRow; row <= cells.lastRow; ++row) {
        for (std::size_t column = cells.firstColumn; column <= cells.lastColumn; ++column) {
            m_taken[row * m_columns + column] = true;
        }
    }
}

bool LabelSpace::TakeIfFree(const Box& box) {
    if (box.left < m_area.left || box.top < m_area.top ||
        box.left + box.width > m_area.left + m_area.width ||
        box.top + box.height > m_area.top + m_area.height) {
        return false;
    }
    const CellRange cells = CellsUnder(box);
    for (std::size_t row = cells.firstRow; row <= cells.lastRow; ++row) {
        for (std::size_t column = cells.firstColumn; column <= cells.lastColumn; ++column) {
            if (m_taken[row * m_columns + column]) return false;
        }
    }
    Take(box);
    return true;
}

}  // namespace reuseblocks::tool
