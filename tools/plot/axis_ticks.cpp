// SPDX-License-Identifier: MIT
#include "plot/axis_ticks.h"

#include <algorithm>
#include <cmath>

#include "plot/svg_writer.h"

namespace reuseblocks::tool {

double RoundStep(double span, int wanted) {
    const double raw = span / std::max(wanted, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double leading = raw / magnitude;
    if (leading < 1.5) return magnitude;
    if (leading < 3.5) return 2 * magnitude;
    if (leading < 7.5) return 5 * magnitude;
    return 10 * magnitude;
}

std::vector<Tick> TicksBetween(double low, double high, double step) {
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    const double first = std::ceil(low / step - 1e-9);
    const double last = std::floor(high / step + 1e-9);
    std::vector<Tick> ticks;
    // The bound only guards against a step far too small for the range.
    for (double index = first; index <= last && ticks.size() < 100; ++index) {
        ticks.push_back({index * step, FormattedNumber(index * step, decimals)});
    }
    return ticks;
}

}  // namespace reuseblocks::tool
