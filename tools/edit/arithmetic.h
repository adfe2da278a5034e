// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_EDIT_ARITHMETIC_H
#define REUSEBLOCKS_TOOLS_EDIT_ARITHMETIC_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reuseblocks::tool {

// `set`'s FIELD+=N and FIELD-=N: a property moved by a number rather than given a value. The
// sum is worked out exactly in decimal, never through floating point, so 0.1 + 0.2 is 0.3, and
// is written with as many decimals as the value or the amount has, whichever has more:
// 12.50 + 100 = 112.50, 7 + 0.5 = 7.5, 7 + 1 = 8.
struct Adjustment {
    std::uint32_t property = 0;
    std::string amount;  // a plain decimal, with its sign: "-50" for FIELD-=50
};

// FIELD+=N or FIELD-=N, or nothing when `text` is not of that form (FIELD=VALUE). A known field
// with an amount that is not a plain decimal number is a usage error.
std::optional<Adjustment> ParseAdjustment(const std::string& text);

// `value` moved by `amount`, or nothing when `value` is not a plain decimal number (digits, one
// point, a sign) or the sum would have more than 18 digits.
std::optional<std::string> AddDecimal(std::string_view value, std::string_view amount);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_EDIT_ARITHMETIC_H
