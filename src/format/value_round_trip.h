// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_FORMAT_VALUE_ROUND_TRIP_H
#define REUSEBLOCKS_FORMAT_VALUE_ROUND_TRIP_H

// What a value needs in order to read back as written: the writer puts it on its line unquoted,
// with one blank after it, and the reader takes the line apart by the rules of line_syntax.h.

#include <string_view>

#include "reuseblocks/diagnostics.h"

namespace reuseblocks::format {

// The RoundTripReason bits of `value` written at `place`, between values that read back
// themselves; 0 exactly when it reads back unchanged.
unsigned RoundTripReasons(std::string_view value, ValuePlace place) noexcept;

}  // namespace reuseblocks::format

#endif  // REUSEBLOCKS_FORMAT_VALUE_ROUND_TRIP_H
