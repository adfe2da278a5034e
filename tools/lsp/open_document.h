// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_OPEN_DOCUMENT_H
#define REUSEBLOCKS_TOOLS_LSP_OPEN_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "lsp/block_index.h"
#include "lsp/changed_block_check.h"
#include "lsp/document_diagnostics.h"
#include "lsp/text_document.h"

namespace reuseblocks::tool::lsp {

// A document the editor has open, with what the server worked out from its text. The index and
// the problems view the text, so the three are replaced together.
struct OpenDocument {
    std::string uri;
    std::int64_t version = 0;
    std::unique_ptr<TextDocument> text;
    std::vector<PlacedProblem> problems;
    // Whether `problems` are all the text's problems, which a change's own check builds on.
    bool problemsComplete = false;
    StackingPlaceCounts placements;  // of the text

    // The index of the text's blocks, worked out when first asked for: diagnostics after a change
    // do without it.
    const BlockIndex& Blocks() const {
        if (!m_blocks) m_blocks = std::make_unique<BlockIndex>(*text);
        return *m_blocks;
    }
    void ForgetBlocks() { m_blocks.reset(); }

  private:
    mutable std::unique_ptr<BlockIndex> m_blocks;
};

// Parameters the protocol does not allow: answered with InvalidParams, as nlohmann::json's own
// exceptions for a missing or mistyped member are.
class BadParams : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// {"start": ..., "end": ...} of the bytes [begin, end) of `text`.
nlohmann::json RangeJson(const TextDocument& text, std::size_t begin, std::size_t end);
// The range of a slice of the text.
nlohmann::json RangeJson(const TextDocument& text, std::string_view slice);
nlohmann::json LocationJson(const OpenDocument& document, std::string_view slice);

// The requests on an open document, each the result of one request: `params` as the editor sent
// them (checked as they are read: a missing or mistyped member throws nlohmann::json's
// exceptions).
nlohmann::json Hover(const OpenDocument& document, const nlohmann::json& params);
nlohmann::json InlayHints(const OpenDocument& document, const nlohmann::json& params);
nlohmann::json DocumentSymbols(const OpenDocument& document);
nlohmann::json Definition(const OpenDocument& document, const nlohmann::json& params);
nlohmann::json References(const OpenDocument& document, const nlohmann::json& params);
nlohmann::json Completion(const OpenDocument& document, const nlohmann::json& params);
nlohmann::json CodeActions(const OpenDocument& document, const nlohmann::json& params);
nlohmann::json Formatting(const OpenDocument& document);

// The diagnostics of the document's problems, as publishDiagnostics sends them.
nlohmann::json DiagnosticJson(const OpenDocument& document, const PlacedProblem& problem);

// The byte offset of params.position, or nothing when it is outside the text.
std::optional<std::size_t> PositionParam(const TextDocument& text, const nlohmann::json& params);
// The byte offset of a position object, clamped into the text.
std::size_t ClampedOffset(const TextDocument& text, const nlohmann::json& position);

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_OPEN_DOCUMENT_H
