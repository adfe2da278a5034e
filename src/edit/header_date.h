// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_EDIT_HEADER_DATE_H
#define REUSEBLOCKS_EDIT_HEADER_DATE_H

#include <cstdint>
#include <ctime>
#include <string>

namespace reuseblocks::detail {

// The classic asctime() text, "Sun Dec  6 07:32:38 2026", without its line end and its shared
// static buffer: what a header's "# Date:" line holds.
std::string AsctimeText(const std::tm& time);

// The calendar time of `seconds` since 1970-01-01 UTC, in UTC, for any value (no system call, so
// a date given for reproducible output reads the same everywhere).
std::tm UtcTime(std::int64_t seconds) noexcept;

// The text of a header date: `seconds` as UTC when `fixed`, otherwise the local time now.
std::string HeaderDateText(bool fixed, std::int64_t seconds);

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_EDIT_HEADER_DATE_H
