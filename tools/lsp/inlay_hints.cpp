// SPDX-License-Identifier: MIT
// textDocument/inlayHint: each value's field name before it.
#include "lsp/open_document.h"

namespace reuseblocks::tool::lsp {

nlohmann::json InlayHints(const OpenDocument& document, const nlohmann::json& params) {
    const TextDocument& text = *document.text;
    const nlohmann::json& range = params.at("range");
    const std::size_t begin = ClampedOffset(text, range.at("start"));
    const std::size_t end = ClampedOffset(text, range.at("end"));
    nlohmann::json hints = nlohmann::json::array();
    for (unsigned long number = text.LoaderLineAt(begin);
         number <= text.LoaderLineAt(end) && number <= text.LoaderLineCount(); ++number) {
        const RecordLine line = ReadRecordLine(text, number);
        for (std::size_t field = 0; field < line.fields.size(); ++field) {
            // The keyword and the block ID of a mapping line say what they are.
            if (line.kind == format::LineKind::kMapping && field < 2) continue;
            const std::string_view name = FieldNameOf(line.kind, field);
            if (name.empty()) break;
            const Position at = text.PositionOf(text.OffsetOfView(line.fields[field]));
            hints.push_back({{"position", {{"line", at.line}, {"character", at.character}}},
                             {"label", std::string(name) + "="},
                             {"kind", 2}});
        }
    }
    return hints;
}

}  // namespace reuseblocks::tool::lsp
