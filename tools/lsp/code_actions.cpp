// SPDX-License-Identifier: MIT
// textDocument/codeAction: the value that mends a problem, for the rules that know one. The fixes
// are those worked out with the document's diagnostics, never taken from what the editor sends.
#include "lsp/open_document.h"

namespace reuseblocks::tool::lsp {

nlohmann::json CodeActions(const OpenDocument& document, const nlohmann::json& params) {
    const TextDocument& text = *document.text;
    const nlohmann::json& range = params.at("range");
    const std::size_t begin = ClampedOffset(text, range.at("start"));
    const std::size_t end = ClampedOffset(text, range.at("end"));
    nlohmann::json actions = nlohmann::json::array();
    for (const PlacedProblem& placed : document.problems) {
        if (!placed.fix || placed.end < begin || placed.begin > end) continue;
        const nlohmann::json edit = {{"range", RangeJson(text, placed.begin, placed.end)},
                                     {"newText", *placed.fix}};
        actions.push_back(
            {{"title", "Change " + std::string(placed.problem.field.value_or("the value")) +
                           " to " + *placed.fix},
             {"kind", "quickfix"},
             {"isPreferred", true},
             {"diagnostics", nlohmann::json::array({DiagnosticJson(document, placed)})},
             {"edit", {{"changes", {{document.uri, nlohmann::json::array({edit})}}}}}});
    }
    return actions;
}

}  // namespace reuseblocks::tool::lsp
