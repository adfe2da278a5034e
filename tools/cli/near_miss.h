// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_CLI_NEAR_MISS_H
#define REUSEBLOCKS_TOOLS_CLI_NEAR_MISS_H

#include <string>
#include <string_view>
#include <vector>

namespace reuseblocks::tool {

// The one of `names` that `typed` most likely meant ("chek" -> "check", "placed" -> "Placed"):
// the same but for case, or one or two letters typed wrong, missing, extra or swapped. Empty
// when none is that close.
std::string NearestName(std::string_view typed, const std::vector<std::string_view>& names);

// '; did you mean "check"?' after what was not found, or nothing when `nearest` is empty: the
// tool's one wording of a guess, whatever it guesses.
std::string DidYouMean(std::string_view nearest);

// "a, b or c".
std::string Alternatives(const std::vector<std::string_view>& names, const char* last = " or ");

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_CLI_NEAR_MISS_H
