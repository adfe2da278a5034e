// SPDX-License-Identifier: MIT
#include "records/locations.h"

#include <cmath>

#include "plot/units.h"

namespace reuseblocks::tool {

namespace {

// Beyond this a double no longer holds every whole number.
constexpr double kLargestLocation = 1e15;

}  // namespace

std::optional<long long> DatabaseUnits(std::string_view value, std::string_view units) {
    const std::optional<LengthUnit> unit = FindLengthUnit(units);
    const std::optional<double> number = ParseNumber(value);
    if (!unit || !number) return std::nullopt;
    const double internal =
        std::round(ConvertLength(*number, *unit, LengthUnit::kMils) * kDatabaseUnitsPerMil);
    if (!(std::fabs(internal) < kLargestLocation)) return std::nullopt;
    return static_cast<long long>(internal);
}

}  // namespace reuseblocks::tool
