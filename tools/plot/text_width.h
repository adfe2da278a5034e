// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_TEXT_WIDTH_H
#define REUSEBLOCKS_TOOLS_PLOT_TEXT_WIDTH_H

#include <string>
#include <string_view>

namespace reuseblocks::tool {

// How wide valid UTF-8 text is drawn in a sans-serif font of `fontSize` pixels: estimated from the
// advances of the widest common sans-serif face, so that a box this wide holds the text in any of
// them. Characters beyond ASCII count one em.
double TextWidth(std::string_view utf8, double fontSize);

// The longest start of valid UTF-8 text that, ending in "…" when cut, is at most `width` wide.
std::string FittedText(std::string_view utf8, double width, double fontSize);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_TEXT_WIDTH_H
