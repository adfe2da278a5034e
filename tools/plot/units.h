// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_UNITS_H
#define REUSEBLOCKS_TOOLS_PLOT_UNITS_H

#include <optional>
#include <string_view>

namespace reuseblocks::tool {

// The length units a location may be given in.
enum class LengthUnit { kMils, kMillimetres, kInches };

// The unit a UNITS value names, in any case: mil, mils, thou; mm, millimeter(s), millimetre(s);
// in, inch, inches. Nothing for anything else.
std::optional<LengthUnit> FindLengthUnit(std::string_view name);

// The short name shown on axes: "mils", "mm" or "in".
std::string_view LengthUnitName(LengthUnit unit);

double ConvertLength(double value, LengthUnit from, LengthUnit to);

// A finite decimal number such as "1200", "-0.5", "+91.44" or "2.5e3", read the same way whatever
// the locale; nothing for "", "1,5", "0x10", "inf", "nan" or trailing text.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_UNITS_H
