// SPDX-License-Identifier: MIT
#include "round_trip_text.h"

#include "records/fields.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

std::string RoundTripField(const RoundTripProblem& problem) {
    if (problem.property >= 0) {
        return std::string(PropertyName(static_cast<std::uint32_t>(problem.property)));
    }
    return std::string(LayerMapColumnName(static_cast<std::uint32_t>(problem.column)));
}

std::string RoundTripMessage(const RoundTripProblem& problem) {
    const std::string id = Quoted(problem.blockID);
    std::string subject;
    if (problem.property == kBlockHierName) {
        subject = "block ID " + id;
    } else if (problem.property >= 0) {
        subject = RoundTripField(problem) + " of block " + id;
    } else {
        subject = RoundTripField(problem) + " of layer map " + std::to_string(problem.row) +
                  " of block " + id;
    }
    return subject + " " + problem.message + ": it would not read back the same";
}

}  // namespace reuseblocks::tool
