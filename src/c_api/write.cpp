// SPDX-License-Identifier: MIT
// Writing a blocks file through the C interface.
#include "c_api/boundary.h"
#include "c_api/report.h"
#include "platform/utf8_path.h"
#include "reuseblocks/diagnostics.h"

using reuseblocks::c_api::FromHandle;
using reuseblocks::c_api::Guarded;
using reuseblocks::c_api::HandOutReport;

extern "C" {

rb_status rb_collection_write(const rb_collection* collection, const char* path, const char* app,
                              rb_report** report) {
    if (report) *report = nullptr;
    if (!collection || !path) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        const std::string nativePath = reuseblocks::detail::platform::PathFromUtf8(path);
        const reuseblocks::WriteReport written =
            reuseblocks::WriteFileWithReport(*FromHandle(collection), nativePath.c_str(), app);
        HandOutReport(report, written.result, 0, static_cast<int>(written.step),
                      written.systemError, written.message);
        return written.Succeeded() ? RB_OK : RB_ERROR_WRITE;
    });
}

}  // extern "C"
