// SPDX-License-Identifier: MIT
// The public side of edits kept in their file's text: reading the text, writing the result.
#include <string>
#include <string_view>
#include <vector>

#include "edit/text_layout.h"
#include "edit/text_update.h"
#include "io/output_file.h"
#include "io/write_failure_text.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace reuseblocks {

namespace {

UpdateReport ReadFailure(const char* what, const char* path, int error) {
    UpdateReport report;
    report.result = UpdateResult::kCannotRead;
    report.systemError = error;
    report.message = std::string(what) + " \"" + (path ? path : "") +
                     "\": " + detail::platform::ErrorText(error);
    return report;
}

// The whole text of `path`, or the reason it cannot be read.
UpdateReport ReadWholeFile(const char* path, detail::platform::WholeFileText& text) {
    detail::platform::FileReader file;
    if (const detail::platform::ErrorCode error = file.Open(path)) {
        return ReadFailure("cannot open", path, error);
    }
    if (const detail::platform::ErrorCode error = text.ReadAll(file)) {
        return ReadFailure("cannot read", path, error);
    }
    return UpdateReport{};
}

// Writes `pieces` to `path` through the library's one writer, in one atomic step.
UpdateReport WritePieces(const char* path, const std::vector<std::string_view>& pieces) {
    UpdateReport report;
    report.result = UpdateResult::kUpdated;
    detail::OutputFile file;
    bool ok = file.Open(path);
    if (ok) {
        for (const std::string_view piece : pieces) file.Write(piece);
        ok = file.Commit();
    }
    if (!ok) {
        const detail::platform::OutputFailure& failure = file.Failure();
        report.result = UpdateResult::kCannotWrite;
        report.step = failure.step;
        report.systemError = failure.error;
        report.message = detail::WriteFailureText(path, failure);
    }
    return report;
}

}  // namespace

UpdateReport UpdateText(std::string_view original, const CReuseBlockFile& blocks,
                        const UpdateOptions& options, std::string& updated) {
    const detail::TextLayout layout = detail::ReadLayout(original);
    detail::UpdatedText pieces;
    const UpdateReport report =
        detail::ComposeUpdate(original, layout, blocks, options, nullptr, pieces);
    if (report.Succeeded()) updated = pieces.Joined();
    return report;
}

UpdateReport UpdateFileWithReport(const CReuseBlockFile& blocks, const char* path,
                                  const UpdateOptions& options) {
    return UpdateFileWithReport(blocks, path, path, options);
}

UpdateReport UpdateFileWithReport(const CReuseBlockFile& blocks, const char* source,
                                  const char* target, const UpdateOptions& options) {
    detail::platform::WholeFileText original;
    UpdateReport report = ReadWholeFile(source, original);
    if (report.result == UpdateResult::kCannotRead) return report;
    detail::UpdatedText updated;
    {
        const detail::TextLayout layout = detail::ReadLayout(original);
        report = detail::ComposeUpdate(original, layout, blocks, options, nullptr, updated);
    }
    if (!report.Succeeded()) return report;
    const bool inPlace = source && target && std::string_view(source) == target;
    if (inPlace && report.result == UpdateResult::kUnchanged) return report;
    if (report.result == UpdateResult::kUnchanged) return WritePieces(target, {original});
    return WritePieces(target, updated.Pieces());
}

const char* UpdateResultName(UpdateResult result) noexcept {
    switch (result) {
        case UpdateResult::kUpdated:
            return "Updated";
        case UpdateResult::kUnchanged:
            return "Unchanged";
        case UpdateResult::kCannotRead:
            return "CannotRead";
        case UpdateResult::kRejectedText:
            return "RejectedText";
        case UpdateResult::kUnwritableValue:
            return "UnwritableValue";
        case UpdateResult::kCannotWrite:
            return "CannotWrite";
    }
    return "Unknown";
}

}  // namespace reuseblocks
