// SPDX-License-Identifier: MIT
// Why a write failed, in words: the writer tells the step and the system's error; the value at
// fault is looked for only once a write has been refused.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "format/line_syntax.h"
#include "io/blocks_file_writer.h"
#include "io/repeated_ids.h"
#include "io/write_failure_text.h"
#include "reuseblocks/diagnostics.h"

namespace reuseblocks {

namespace {

using detail::AppendQuoted;
using format::HoldsLineBreak;

// What a refused write would not have read back: the first value at fault, in walk order.
std::string RefusedValue(const CReuseBlockFile& blocks, const char* application) {
    std::string text;
    const std::vector<const CReuseBlock*> repeated = detail::RepeatedIDs::Find(blocks);
    if (!repeated.empty()) {
        text = "two blocks would be written under ID ";
        AppendQuoted(text, repeated.front()->GetPropertyRef(0).GetView());
        return text;
    }
    if (application && HoldsLineBreak(application))
        return "the application name holds a line break";
    for (POSITION position = blocks.GetStartPosition(); position;) {
        const CReuseBlock& block = *blocks.GetNext(position);
        auto blockName = [&] {
            text = "block ";
            AppendQuoted(text, block.GetBlockID().GetView());
        };
        for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
            if (!HoldsLineBreak(block.GetPropertyRef(index).GetView())) continue;
            blockName();
            text += " property " + std::to_string(index) + " (";
            text += PropertyName(index);
            text += ") holds a line break";
            return text;
        }
        for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
            for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
                if (!HoldsLineBreak(block.GetLayerMapRef(row, column).GetView())) continue;
                blockName();
                text += " layer-map row " + std::to_string(row) + " column " +
                        std::to_string(column) + " (";
                text += LayerMapColumnName(column);
                text += ") holds a line break";
                return text;
            }
        }
    }
    return "a value holds a line break";
}

}  // namespace

const char* WriteStepName(WriteStep step) noexcept {
    switch (step) {
        case WriteStep::kNone:
            return "none";
        case WriteStep::kCheck:
            return "checking the values";
        case WriteStep::kOpen:
            return "opening";
        case WriteStep::kWrite:
            return "writing";
        case WriteStep::kFlush:
            return "flushing";
        case WriteStep::kSync:
            return "syncing to disk";
        case WriteStep::kRename:
            return "replacing the old file";
        case WriteStep::kInPlace:
            return "sizing the old file to write in place";
    }
    return "unknown";
}

namespace detail {

// Backslashes stay: they separate a Windows path's folders.
void AppendQuoted(std::string& message, std::string_view text) {
    message += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            message += "\\n";
        } else if (c == '\r') {
            message += "\\r";
        } else if (c == '\t') {
            message += "\\t";
        } else if (c == '"') {
            message += "\\\"";
        } else if (byte < 0x20 || byte == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(byte));
            message += escaped;
        } else {
            message += c;
        }
    }
    message += '"';
}

std::string WriteFailureText(const char* path, const platform::OutputFailure& failure) {
    std::string message = "cannot write ";
    if (path) {
        AppendQuoted(message, path);
    } else {
        message += "(no path)";
    }
    if (!failure.danglingLink.empty()) {
        message += ": it links to ";
        AppendQuoted(message, failure.danglingLink);
        message += ", in a folder that does not exist";
    } else if (failure.error != 0) {
        message += ": ";
        message += platform::ErrorText(failure.error);
    }
    message += " (while ";
    message += WriteStepName(failure.step);
    message += ')';
    return message;
}

}  // namespace detail

WriteReport WriteFileWithReport(const CReuseBlockFile& blocks, const char* path,
                                const char* application) {
    return WriteFileWithReport(blocks, path, application, WriteFileOptions{});
}

WriteReport WriteFileWithReport(const CReuseBlockFile& blocks, const char* path,
                                const char* application, const WriteFileOptions& options) {
    const detail::platform::OutputFailure failure =
        detail::BlocksFileWriter::Write(blocks, path, application, options);
    WriteReport report;
    if (failure.step == WriteStep::kNone) return report;
    report.result = 0;
    report.step = failure.step;
    report.systemError = failure.error;
    if (failure.step == WriteStep::kCheck) {
        report.message = "cannot write ";
        if (path) {
            AppendQuoted(report.message, path);
        } else {
            report.message += "(no path)";
        }
        report.message += ": ";
        report.message += RefusedValue(blocks, application);
        return report;
    }
    report.message = detail::WriteFailureText(path, failure);
    return report;
}

WriteReport WriteTextWithReport(const CReuseBlockFile& blocks, const char* application,
                                const WriteFileOptions& options, std::string& text) {
    std::string written;
    const detail::platform::OutputFailure failure =
        detail::BlocksFileWriter::WriteText(blocks, application, options, written);
    WriteReport report;
    if (failure.step == WriteStep::kNone) {
        text = std::move(written);
        return report;
    }
    report.result = 0;
    report.step = failure.step;
    report.message = "cannot write: " + RefusedValue(blocks, application);
    return report;
}

}  // namespace reuseblocks
