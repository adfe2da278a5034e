// SPDX-License-Identifier: MIT
// textDocument/formatting: record lines spaced as the writer spaces them, each value followed by
// one blank.
// Only spacing changes: a line whose new text the loader would not split into the same values
// is left as it is.
#include "lsp/open_document.h"

namespace reuseblocks::tool::lsp {

namespace {

// The line as the writer spaces it, or nothing when it stays as it is.
std::optional<std::string> Respaced(const RecordLine& line) {
    const std::string_view record = format::StripRecordEnds(line.trimmed);
    const std::string_view head =
        line.trimmed.substr(0, static_cast<std::size_t>(record.data() - line.trimmed.data()));
    const std::string_view tail = line.trimmed.substr(head.size() + record.size());
    // The parentheses around a record stay as they are, without blanks; a record without them
    // is spaced as the writer spaces it, each value followed by one blank.
    const auto withoutBlanks = [](std::string_view text) {
        std::string kept;
        for (const char c : text) {
            if (c != ' ' && c != '\t') kept += c;
        }
        return kept;
    };
    const std::string opening = withoutBlanks(head);
    const std::string closing = withoutBlanks(tail);
    const bool written = opening.empty() && closing.empty();
    std::string respaced = opening;
    for (std::size_t i = 0; i < line.fields.size(); ++i) {
        if (!written && i > 0) respaced += ' ';
        respaced += line.fields[i];
        if (written) respaced += ' ';
    }
    respaced += closing;
    // Read again as the loader reads it: the same kind of line and the same values, or no change.
    const std::string_view trimmed = format::TrimLine(respaced);
    if (format::ClassifyLine(trimmed) != line.kind) return std::nullopt;
    std::vector<std::string_view> fields;
    format::SplitFields(format::StripRecordEnds(trimmed), fields);
    if (fields != line.fields) return std::nullopt;
    return respaced;
}

}  // namespace

nlohmann::json Formatting(const OpenDocument& document) {
    const TextDocument& text = *document.text;
    nlohmann::json edits = nlohmann::json::array();
    for (unsigned long number = 1; number <= text.LoaderLineCount(); ++number) {
        std::string_view whole = text.LoaderLine(number);
        if (!whole.empty() && whole.back() == '\r') whole.remove_suffix(1);  // its line end
        // A carriage return alone ends a line for the editor but not for the loader: such lines
        // are left as they are, for their spacing is not what it seems.
        if (whole.find('\r') != std::string_view::npos) continue;
        const RecordLine line = ReadRecordLine(text, number);
        std::string respaced;
        if (line.kind == format::LineKind::kEmpty) {
            if (whole.empty()) continue;
        } else if (line.kind == format::LineKind::kComment) {
            continue;
        } else if (std::optional<std::string> record = Respaced(line)) {
            respaced = std::move(*record);
        } else {
            continue;
        }
        if (respaced == whole) continue;
        edits.push_back({{"range", RangeJson(text, whole)}, {"newText", respaced}});
    }
    return edits;
}

}  // namespace reuseblocks::tool::lsp
