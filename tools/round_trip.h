#ifndef REUSEBLOCKS_TOOLS_ROUND_TRIP_H
#define REUSEBLOCKS_TOOLS_ROUND_TRIP_H

#include <string>
#include <string_view>

namespace reuseblocks::tool {

// The writer puts values on a line unquoted and the reader strips a line's ends, so what a value
// may hold depends on where it stands.
enum class ValuePlace {
    kFirst,   // a block ID, first on its definition line
    kMiddle,  // any value followed by another on its line
    kLast,    // QOR_STATUS and DESIGN_LAYER_NAME
};

// Why `value` would not come back unchanged from a written and re-read blocks file, e.g. "holds
// white space and a quote"; empty when it would.
std::string RoundTripProblems(std::string_view value, ValuePlace place);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_ROUND_TRIP_H
