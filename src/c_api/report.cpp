// SPDX-License-Identifier: MIT
// The reports of loads, writes and round-trip checks through the C interface.
#include "c_api/report.h"

extern "C" {

int rb_report_code(const rb_report* report) {
    return report ? report->code : 0;
}

uint64_t rb_report_line(const rb_report* report) {
    return report ? report->line : 0;
}

uint64_t rb_report_skipped_line(const rb_report* report) {
    return report ? report->skippedLine : 0;
}

int rb_report_step(const rb_report* report) {
    return report ? report->step : 0;
}

int rb_report_system_error(const rb_report* report) {
    return report ? report->systemError : 0;
}

const char* rb_report_message(const rb_report* report) {
    return report ? report->message.c_str() : "";
}

void rb_report_free(rb_report* report) {
    delete report;
}

}  // extern "C"
