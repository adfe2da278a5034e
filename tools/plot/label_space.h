// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_LABEL_SPACE_H
#define REUSEBLOCKS_TOOLS_PLOT_LABEL_SPACE_H

#include <cstddef>
#include <vector>

namespace reuseblocks::tool {

struct Box {
    double left;
    double top;
    double width;
    double height;
};

// Which parts of a rectangular area are taken, on a coarse raster: marking or testing a box costs
// the same however much is already taken, so placing n labels stays linear in n.
class LabelSpace {
  public:
    LabelSpace(Box area, double cellSize);

    void Take(const Box& box);
    // Takes `box` when it lies inside the area and touches nothing taken; false otherwise.
    bool TakeIfFree(const Box& box);

  private:
    struct CellRange {
        std::size_t firstColumn, lastColumn, firstRow, lastRow;
    };
    CellRange CellsUnder(const Box& box) const;

    Box m_area;
    double m_cellSize;
    std::size_t m_columns;
    std::size_t m_rows;
    std::vector<bool> m_taken;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_LABEL_SPACE_H
