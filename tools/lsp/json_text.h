// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_JSON_TEXT_H
#define REUSEBLOCKS_TOOLS_LSP_JSON_TEXT_H

#include <nlohmann/json.hpp>
#include <string>

namespace reuseblocks::tool::lsp {

// `value` as compact JSON, written by the tool's one JSON writer: text of the document that is not
// UTF-8 becomes U+FFFD, so every message is valid JSON whatever the file holds.
std::string JsonText(const nlohmann::json& value);

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_JSON_TEXT_H
