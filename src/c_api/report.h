// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_C_API_REPORT_H
#define REUSEBLOCKS_C_API_REPORT_H

#include <cstdint>
#include <new>
#include <string>

#include "reuseblocks/reuseblocks_c.h"

// What a load, a write or a round-trip check tells the host, whichever of them made it.
struct rb_report {
    int code = 0;
    std::uint64_t line = 0;
    std::uint64_t skippedLine = 0;  // of a load: the first line it passed over
    int step = 0;
    int systemError = 0;
    std::string message;
};

namespace reuseblocks::c_api {

// Hands `report` to the host when it asked for one (`out` not null). Its message is copied last,
// so that running out of memory still hands out the numbers, with an empty message.
inline void HandOutReport(rb_report** out, int code, std::uint64_t line, int step, int systemError,
                          const std::string& message) noexcept {
    if (!out) return;
    rb_report* report = new (std::nothrow) rb_report;
    *out = report;
    if (!report) return;
    report->code = code;
    report->line = line;
    report->step = step;
    report->systemError = systemError;
    try {
        report->message = message;
    } catch (...) {
    }
}

}  // namespace reuseblocks::c_api

#endif  // REUSEBLOCKS_C_API_REPORT_H
