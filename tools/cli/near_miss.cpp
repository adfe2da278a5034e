// SPDX-License-Identifier: MIT
#include "cli/near_miss.h"

#include <reuseblocks/ascii.h>

#include <algorithm>

#include "terminal/text_escape.h"

namespace reuseblocks::tool {

namespace {

using ascii::ToLower;

// Edits (change, insert, delete, swap of neighbours) from a to b, ignoring case.
std::size_t Distance(std::string_view a, std::string_view b) {
    const std::size_t columns = b.size() + 1;
    std::vector<std::size_t> d((a.size() + 1) * columns);
    for (std::size_t i = 0; i <= a.size(); ++i) d[i * columns] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = ToLower(a[i - 1]) == ToLower(b[j - 1]) ? 0 : 1;
            std::size_t best = std::min({d[(i - 1) * columns + j] + 1, d[i * columns + j - 1] + 1,
                                         d[(i - 1) * columns + j - 1] + cost});
            if (i > 1 && j > 1 && ToLower(a[i - 1]) == ToLower(b[j - 2]) &&
                ToLower(a[i - 2]) == ToLower(b[j - 1])) {
                best = std::min(best, d[(i - 2) * columns + j - 2] + 1);
            }
            d[i * columns + j] = best;
        }
    }
    return d.back();
}

}  // namespace

std::string NearestName(std::string_view typed, const std::vector<std::string_view>& names) {
    std::string_view nearest;
    std::size_t nearestDistance = 3;
    for (const std::string_view name : names) {
        // Far longer or shorter text cannot be near, and costs nothing to skip.
        if (typed.size() > name.size() + 2 || name.size() > typed.size() + 2) continue;
        const std::size_t distance = Distance(typed, name);
        // Short names need a closer match: "ab" is not a typo of "list".
        if (distance < nearestDistance && distance * 3 <= name.size()) {
            nearest = name;
            nearestDistance = distance;
        }
    }
    return std::string(nearest);
}

std::string DidYouMean(std::string_view nearest) {
    if (nearest.empty()) return {};
    return "; did you mean " + Quoted(nearest) + "?";
}

std::string Alternatives(const std::vector<std::string_view>& names, const char* last) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? last : ", ";
        text += names[i];
    }
    return text;
}

}  // namespace reuseblocks::tool
