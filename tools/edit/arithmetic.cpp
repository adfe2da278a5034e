// SPDX-License-Identifier: MIT
#include "arithmetic.h"

#include <algorithm>
#include <limits>

#include "records/fields.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

// A decimal as an integer count of 10^-places.
struct Decimal {
    long long scaled = 0;
    int places = 0;
};

constexpr long long kLargest = std::numeric_limits<long long>::max() / 10;

std::optional<Decimal> ParseDecimal(std::string_view text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    Decimal decimal;
    bool digits = false;
    bool point = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9' || decimal.scaled >= kLargest) return std::nullopt;
        decimal.scaled = decimal.scaled * 10 + (c - '0');
        digits = true;
        if (point) ++decimal.places;
    }
    if (!digits) return std::nullopt;
    if (negative) decimal.scaled = -decimal.scaled;
    return decimal;
}

bool Rescale(Decimal& decimal, int places) {
    for (; decimal.places < places; ++decimal.places) {
        if (decimal.scaled >= kLargest || decimal.scaled <= -kLargest) return false;
        decimal.scaled *= 10;
    }
    return true;
}

std::string Format(const Decimal& decimal) {
    const bool negative = decimal.scaled < 0;
    std::string digits = std::to_string(negative ? -decimal.scaled : decimal.scaled);
    const auto places = static_cast<std::size_t>(decimal.places);
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    if (places > 0) digits.insert(digits.size() - places, ".");
    return (negative ? "-" : "") + digits;
}

}  // namespace

std::optional<Adjustment> ParseAdjustment(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals < 2) return std::nullopt;
    const char sign = text[equals - 1];
    if (sign != '+' && sign != '-') return std::nullopt;
    const std::optional<std::uint32_t> property =
        PropertyNamedByUser(std::string_view(text).substr(0, equals - 1));
    if (!property) return std::nullopt;
    const std::string amount = text.substr(equals + 1);
    if (amount.empty() || amount[0] == '+' || amount[0] == '-' || !ParseDecimal(amount)) {
        throw UsageError(Quoted(text) + ": " + std::string(1, sign) +
                         "= takes a plain number, e.g. XLOC+=100 or YLOC-=12.5");
    }
    return Adjustment{*property, (sign == '-' ? "-" : "") + amount};
}

std::optional<std::string> AddDecimal(std::string_view value, std::string_view amount) {
    std::optional<Decimal> a = ParseDecimal(value);
    std::optional<Decimal> b = ParseDecimal(amount);
    if (!a || !b) return std::nullopt;
    const int places = std::max(a->places, b->places);
    if (!Rescale(*a, places) || !Rescale(*b, places)) return std::nullopt;
    // Both are below a tenth of the largest, so the sum cannot overflow.
    return Format({a->scaled + b->scaled, places});
}

}  // namespace reuseblocks::tool
