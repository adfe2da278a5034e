// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_DOCUMENT_DIAGNOSTICS_H
#define REUSEBLOCKS_TOOLS_LSP_DOCUMENT_DIAGNOSTICS_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "inspect/lint.h"
#include "lsp/text_document.h"

namespace reuseblocks::tool::lsp {

// A problem `check --strict` finds, placed on the bytes it is about.
struct PlacedProblem {
    Problem problem;
    std::size_t begin = 0;  // byte offsets into the document's text
    std::size_t end = 0;
    // The value that would mend it, for the rules that know one: the nearest conventional
    // value, or the internal location XLOC/YLOC and UNITS give.
    std::optional<std::string> fix;
};

// `problem` placed on the bytes of `document` it is about.
PlacedProblem PlaceProblem(const TextDocument& document, Problem problem);

// Every problem `check --strict` finds in the document's text, each on its field (or its line),
// in file order. The text is checked where it is, in memory: no file is written or read.
std::vector<PlacedProblem> DiagnoseDocument(const TextDocument& document);

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_DOCUMENT_DIAGNOSTICS_H
