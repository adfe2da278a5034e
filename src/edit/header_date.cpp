// SPDX-License-Identifier: MIT
#include "edit/header_date.h"

#include <cstdio>

#include "platform/file_system.h"

namespace reuseblocks::detail {

std::string AsctimeText(const std::tm& time) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* day = time.tm_wday >= 0 && time.tm_wday < 7 ? kDays[time.tm_wday] : "???";
    const char* month = time.tm_mon >= 0 && time.tm_mon < 12 ? kMonths[time.tm_mon] : "???";
    char text[80];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %lld", day, month, time.tm_mday,
                  time.tm_hour, time.tm_min, time.tm_sec, 1900LL + time.tm_year);
    return text;
}

std::tm UtcTime(std::int64_t seconds) noexcept {
    // Days and the second of the day, rounding toward minus infinity; then the civil date of a
    // day count (the proleptic Gregorian calendar, in 400-year eras).
    constexpr std::int64_t kDay = 86400;
    // Clamped to what a year in an int can hold, which covers every date a header can mean.
    constexpr std::int64_t kLimit = std::int64_t{1} << 50;
    if (seconds > kLimit) seconds = kLimit;
    if (seconds < -kLimit) seconds = -kLimit;
    std::int64_t days = seconds / kDay;
    std::int64_t second = seconds % kDay;
    if (second < 0) {
        second += kDay;
        --days;
    }
    std::tm time{};
    time.tm_hour = static_cast<int>(second / 3600);
    time.tm_min = static_cast<int>(second / 60 % 60);
    time.tm_sec = static_cast<int>(second % 60);
    time.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;  // March is 0
    const std::int64_t month = shifted < 10 ? shifted + 3 : shifted - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    time.tm_mday = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    time.tm_mon = static_cast<int>(month - 1);
    time.tm_year = static_cast<int>(year - 1900);
    return time;
}

std::string HeaderDateText(bool fixed, std::int64_t seconds) {
    if (fixed) return AsctimeText(UtcTime(seconds));
    std::tm local{};
    platform::LocalTime(std::time(nullptr), local);
    return AsctimeText(local);
}

}  // namespace reuseblocks::detail
