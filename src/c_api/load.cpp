// SPDX-License-Identifier: MIT
// Loading a blocks file through the C interface.
#include "c_api/boundary.h"
#include "c_api/report.h"
#include "platform/utf8_path.h"
#include "reuseblocks/diagnostics.h"

using reuseblocks::c_api::FromHandle;
using reuseblocks::c_api::Guarded;
using reuseblocks::c_api::HandOutReport;

extern "C" {

rb_status rb_collection_load(rb_collection* collection, const char* path, rb_report** report) {
    if (report) *report = nullptr;
    if (!collection || !path) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        const std::string nativePath = reuseblocks::detail::platform::PathFromUtf8(path);
        reuseblocks::SkippedText skipped;
        const reuseblocks::LoadReport loaded = reuseblocks::LoadFileWithReport(
            *FromHandle(collection), nativePath.c_str(), reuseblocks::LoadOptions{}, skipped);
        HandOutReport(report, loaded.result, loaded.line, 0, 0, loaded.message);
        if (report && *report) (*report)->skippedLine = skipped.firstLine;
        return loaded.Succeeded() ? RB_OK : RB_ERROR_LOAD;
    });
}

}  // extern "C"
