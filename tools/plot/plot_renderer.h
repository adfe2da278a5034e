// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_PLOT_RENDERER_H
#define REUSEBLOCKS_TOOLS_PLOT_PLOT_RENDERER_H

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/block_query.h"
#include "plot/placement.h"

namespace reuseblocks::tool {

enum class LabelKind { kSymbol, kId, kNone };

struct PlotRequest {
    std::string title;
    LabelKind labels = LabelKind::kSymbol;
    std::vector<QueryCondition> highlight;  // none: every block drawn alike; else the rest faint
    std::optional<std::array<double, 4>> window;  // X0, Y0, X1, Y1 in the placement's unit
    std::optional<std::uint32_t> colorBy;         // a property; none: colored by status
};

// The whole SVG document: the drawn blocks on a board with y growing upwards, axes, legend and the
// list of blocks not drawn. The same placement gives the same bytes.
// --window draws that part of the board only, and leaves out the blocks outside it.
// Handed to `write` piece by piece, in order, so that a large picture is never whole in memory.
void RenderPlot(Placement placement, const PlotRequest& request,
                const std::function<void(std::string_view)>& write);
// The same document as one text.
std::string RenderPlot(Placement placement, const PlotRequest& request);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_PLOT_RENDERER_H
