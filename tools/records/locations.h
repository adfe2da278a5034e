// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_LOCATIONS_H
#define REUSEBLOCKS_TOOLS_RECORDS_LOCATIONS_H

#include <optional>
#include <string_view>

namespace reuseblocks::tool {

// The internal unit of INT_XLOC and INT_YLOC: 254 to a mil, 10000 to a millimetre.
inline constexpr double kDatabaseUnitsPerMil = 254;

// XLOC or YLOC `value` in whole database units, when it is a number and `units` a length unit;
// nothing when it is too large for every whole number to be held.
std::optional<long long> DatabaseUnits(std::string_view value, std::string_view units);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_LOCATIONS_H
