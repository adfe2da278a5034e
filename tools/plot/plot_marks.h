// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_PLOT_MARKS_H
#define REUSEBLOCKS_TOOLS_PLOT_PLOT_MARKS_H

#include <reuseblocks/reuseblocks.h>

#include <cstddef>
#include <string>
#include <vector>

#include "plot/placement.h"
#include "plot/svg_writer.h"

namespace reuseblocks::tool {

// What the drawing and its legend share: text size, the marks of a block and their style.
inline constexpr double kFontSize = 11;
// Above this many drawn blocks labels and rotation strokes would bury the board: the tooltips
// still show them.
inline constexpr std::size_t kMostDetailed = 2500;

// The style sheet of a plot; the classes below refer to it.
extern const char* const kPlotStyle;

// The class that colors a block of this status.
const char* StatusClass(BlockStatus status);

// The tooltip of a block, a <title> that viewers show on hover: every property by name, and how
// many layer maps it has, a line each.
void DrawTooltip(SvgWriter& svg, const CReuseBlock& block);

// A block of `size` pixels centred on (x, y): a square, open on the bottom side, a diamond on any
// other side.
void DrawShape(SvgWriter& svg, const char* colorClass, BoardSide side, double x, double y,
               double size);

// A stroke from (x, y) pointing `degrees` counter-clockwise from +X.
void DrawRotation(SvgWriter& svg, double degrees, double x, double y, double length);
double RotationLength(double markerSize);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_PLOT_MARKS_H
