// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_AXIS_TICKS_H
#define REUSEBLOCKS_TOOLS_PLOT_AXIS_TICKS_H

#include <string>
#include <vector>

namespace reuseblocks::tool {

// A round step for an axis: 1, 2 or 5 times a power of ten, giving about `wanted` steps over
// `span` (> 0).
double RoundStep(double span, int wanted);

struct Tick {
    double value;
    std::string text;  // the value with as many decimals as the step needs
};

// The multiples of `step` from `low` to `high`.
std::vector<Tick> TicksBetween(double low, double high, double step);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_AXIS_TICKS_H
