// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_COLOR_BY_H
#define REUSEBLOCKS_TOOLS_PLOT_COLOR_BY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plot/placement.h"

namespace reuseblocks::tool {

// One value of the field and the blocks that have it.
struct ColorKey {
    std::string value;
    std::size_t count = 0;
};

// The drawn blocks colored by the value of one property: the first kPaletteSize values in the
// order they first appear get a color of their own, every later value shares one.
struct Coloring {
    std::uint32_t property = 0;
    std::vector<std::size_t> colorOf;  // per drawn block: an index into keys, or kPaletteSize
    std::vector<ColorKey> keys;
    std::size_t otherValues = 0;
    std::size_t otherBlocks = 0;
};

inline constexpr std::size_t kPaletteSize = 8;

Coloring ColorBy(const DrawnBlocks& drawn, std::uint32_t property);

// The style class of a color; kPaletteSize and beyond is the shared one.
const char* ColorClass(std::size_t color);

// The style sheet of these classes, to follow kPlotStyle.
extern const char* const kColorStyle;

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_COLOR_BY_H
