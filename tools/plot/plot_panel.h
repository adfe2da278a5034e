// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_PLOT_PANEL_H
#define REUSEBLOCKS_TOOLS_PLOT_PLOT_PANEL_H

#include <cstddef>

#include "plot/color_by.h"
#include "plot/placement.h"
#include "plot/plot_renderer.h"
#include "plot/svg_writer.h"

namespace reuseblocks::tool {

inline constexpr double kPanelWidth = 300;

// The column beside the board, from `top` down: the legend, then the blocks not drawn with the
// reason, listed at least down to `listBottom` and counted in full. The `notes` end the legend.
// With a coloring the legend keys its values instead of the statuses. Returns where it ends.
double DrawPanel(SvgWriter& svg, const Placement& placement, LabelKind labels,
                 std::size_t hiddenLabels, double left, double top, double listBottom,
                 const std::vector<std::string>& notes = {}, const Coloring* coloring = nullptr);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_PLOT_PANEL_H
