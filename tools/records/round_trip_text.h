// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_ROUND_TRIP_TEXT_H
#define REUSEBLOCKS_TOOLS_RECORDS_ROUND_TRIP_TEXT_H

#include <reuseblocks/diagnostics.h>

#include <string>

namespace reuseblocks::tool {

// The field a problem is about: a property name or a layer-map column name.
std::string RoundTripField(const RoundTripProblem& problem);

// 'SIDE of block "/TOP/PSU1" holds white space: it would not read back the same'.
std::string RoundTripMessage(const RoundTripProblem& problem);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_ROUND_TRIP_TEXT_H
