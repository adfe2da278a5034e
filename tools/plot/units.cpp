// SPDX-License-Identifier: MIT
#include "plot/units.h"

#include <reuseblocks/fields.h>

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace reuseblocks::tool {

namespace {

struct UnitSpelling {
    std::string_view name;
    LengthUnit unit;
};

constexpr std::array<UnitSpelling, 11> kSpellings = {{
    {"mil", LengthUnit::kMils},
    {kUnitsMils, LengthUnit::kMils},
    {"thou", LengthUnit::kMils},
    {kUnitsMillimetres, LengthUnit::kMillimetres},
    {"millimeter", LengthUnit::kMillimetres},
    {"millimeters", LengthUnit::kMillimetres},
    {"millimetre", LengthUnit::kMillimetres},
    {"millimetres", LengthUnit::kMillimetres},
    {"in", LengthUnit::kInches},
    {"inch", LengthUnit::kInches},
    {"inches", LengthUnit::kInches},
}};

// In the order of LengthUnit.
double MilsPer(LengthUnit unit) {
    static constexpr double kMils[] = {1.0, 1000.0 / 25.4, 1000.0};
    return kMils[static_cast<std::size_t>(unit)];
}

}  // namespace

std::optional<LengthUnit> FindLengthUnit(std::string_view name) {
    for (const UnitSpelling& spelling : kSpellings) {
        if (ascii::EqualsIgnoringCase(name, spelling.name)) return spelling.unit;
    }
    return std::nullopt;
}

std::string_view LengthUnitName(LengthUnit unit) {
    static constexpr std::string_view kNames[] = {kUnitsMils, kUnitsMillimetres, "in"};
    return kNames[static_cast<std::size_t>(unit)];
}

double ConvertLength(double value, LengthUnit from, LengthUnit to) {
    if (from == to) return value;
    return value * MilsPer(from) / MilsPer(to);
}

std::optional<double> ParseNumber(std::string_view text) {
    // from_chars takes no plus sign, so it is read here; a sign may not follow it.
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    const char first = text.front();
    if (!(std::isdigit(static_cast<unsigned char>(first)) || first == '.' ||
          (first == '-' && !plus))) {
        return std::nullopt;
    }
    double value = 0;
    const char* end = text.data() + text.size();
    const std::from_chars_result result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace reuseblocks::tool
