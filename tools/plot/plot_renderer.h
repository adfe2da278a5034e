// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_PLOT_RENDERER_H
#define REUSEBLOCKS_TOOLS_PLOT_PLOT_RENDERER_H

#include <string>

#include "plot/placement.h"

namespace reuseblocks::tool {

enum class LabelKind { kSymbol, kId, kNone };

struct PlotRequest {
    std::string title;
    LabelKind labels = LabelKind::kSymbol;
};

// The whole SVG document: the drawn blocks on a board with y growing upwards, axes, legend and the
// list of blocks not drawn. The same placement gives the same bytes.
std::string RenderPlot(const Placement& placement, const PlotRequest& request);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_PLOT_RENDERER_H
