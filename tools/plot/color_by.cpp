// SPDX-License-Identifier: MIT
#include "plot/color_by.h"

#include <algorithm>

#include "records/fields.h"
#include "text/keyed_map.h"

namespace reuseblocks::tool {

// Told apart also by most who see red and green alike; the shared color is a plain grey.
const char* const kColorStyle =
    "<style>\n"
    ".v0{fill:#0072b2;stroke:#0072b2}\n"
    ".v1{fill:#e69f00;stroke:#e69f00}\n"
    ".v2{fill:#009e73;stroke:#009e73}\n"
    ".v3{fill:#cc79a7;stroke:#cc79a7}\n"
    ".v4{fill:#56b4e9;stroke:#56b4e9}\n"
    ".v5{fill:#d55e00;stroke:#d55e00}\n"
    ".v6{fill:#a08c00;stroke:#a08c00}\n"
    ".v7{fill:#5d3a9b;stroke:#5d3a9b}\n"
    ".vx{fill:#aaa;stroke:#aaa}\n"
    ".bottom{fill:#fff}\n"
    "</style>\n";

const char* ColorClass(std::size_t color) {
    static constexpr const char* kClasses[kPaletteSize + 1] = {"v0", "v1", "v2", "v3", "v4",
                                                               "v5", "v6", "v7", "vx"};
    return kClasses[std::min(color, kPaletteSize)];
}

Coloring ColorBy(const DrawnBlocks& drawn, std::uint32_t property) {
    Coloring coloring;
    coloring.property = property;
    coloring.colorOf.reserve(drawn.size());
    KeyedMap<std::size_t> known;  // a value and its key
    std::vector<ColorKey> values;
    for (const DrawnBlock& block : drawn) {
        const auto [at, added] =
            known.try_emplace(PropertyText(*block.block, property), values.size());
        if (added) values.push_back({at->first, 0});
        ++values[at->second].count;
        coloring.colorOf.push_back(std::min(at->second, kPaletteSize));
    }
    for (std::size_t index = kPaletteSize; index < values.size(); ++index) {
        ++coloring.otherValues;
        coloring.otherBlocks += values[index].count;
    }
    values.resize(std::min(values.size(), kPaletteSize));
    coloring.keys = std::move(values);
    return coloring;
}

}  // namespace reuseblocks::tool
