// SPDX-License-Identifier: MIT
#include "plot/plot_marks.h"

#include <cmath>

#include "records/fields.h"
#include "text/words.h"

namespace reuseblocks::tool {

const char* const kPlotStyle =
    "<style>\n"
    "text{font-family:sans-serif;font-size:11px;fill:#222}\n"
    ".title{font-size:16px;font-weight:bold}\n"
    ".head{font-weight:bold}\n"
    ".note{fill:#666}\n"
    ".grid{stroke:#e8e8e8;stroke-width:1}\n"
    ".frame{fill:none;stroke:#999;stroke-width:1}\n"
    ".placed{fill:#009e73;stroke:#009e73}\n"
    ".planned{fill:#0072b2;stroke:#0072b2}\n"
    ".unplaced{fill:#d55e00;stroke:#d55e00}\n"
    ".other{fill:#cc79a7;stroke:#cc79a7}\n"
    ".side{fill:#777;stroke:#777}\n"
    ".bottom{fill:#fff;stroke-width:2}\n"
    ".rot{fill:none;stroke:#222;stroke-width:1.5;stroke-linecap:round}\n"
    ".labels text{paint-order:stroke;stroke:#fff;stroke-width:3px;stroke-linejoin:round}\n"
    "</style>\n";

// In the order of BlockStatus.
const char* StatusClass(BlockStatus status) {
    static constexpr const char* kClasses[] = {"placed", "planned", "unplaced", "other"};
    return kClasses[static_cast<std::size_t>(status)];
}

void DrawTooltip(SvgWriter& svg, const CReuseBlock& block) {
    // Written straight from the block's values: a large plot has a tooltip for every block.
    svg.Raw("<title>");
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        svg.Text(PropertyName(index));
        svg.Raw(": ");
        svg.Text(block.GetPropertyRef(index).GetView());
        svg.Raw("\n");
    }
    svg.Text(Counted(block.GetLayerMapCount(), "layer map", "layer maps"));
    svg.Raw("</title>");
}

void DrawShape(SvgWriter& svg, const char* colorClass, BoardSide side, double x, double y,
               double size) {
    std::string classes = colorClass;
    if (side == BoardSide::kBottom) classes += " bottom";
    const double half = size / 2;
    if (side == BoardSide::kOther) {
        const std::string r = FormattedNumber(half * 1.3, 1);
        svg.Empty("path",
                  {{"class", classes},
                   {"d", "M" + FormattedNumber(x, 1) + " " + FormattedNumber(y - half * 1.3, 1) +
                             "l" + r + " " + r + "l-" + r + " " + r + "l-" + r + " -" + r + "z"}});
        return;
    }
    // The stroke of an open square grows outwards too: shrink it to keep its size.
    const double inset = side == BoardSide::kBottom ? 1 : 0;
    svg.Empty("rect", {{"class", classes},
                       {"x", x - half + inset},
                       {"y", y - half + inset},
                       {"width", size - 2 * inset},
                       {"height", size - 2 * inset}});
}

void DrawRotation(SvgWriter& svg, double degrees, double x, double y, double length) {
    constexpr double kPi = 3.14159265358979323846;
    const double radians = degrees * kPi / 180;
    svg.Empty("path", {{"class", "rot"},
                       {"d", "M" + FormattedNumber(x, 1) + " " + FormattedNumber(y, 1) + "l" +
                                 FormattedNumber(length * std::cos(radians), 1) + " " +
                                 FormattedNumber(-length * std::sin(radians), 1)}});
}

double RotationLength(double markerSize) {
    return markerSize / 2 + 5;
}

}  // namespace reuseblocks::tool
