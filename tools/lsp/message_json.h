// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_MESSAGE_JSON_H
#define REUSEBLOCKS_TOOLS_LSP_MESSAGE_JSON_H

#include <nlohmann/json.hpp>
#include <string_view>

namespace reuseblocks::tool::lsp {

// The JSON of a message's body, or a discarded value when it is not JSON: exactly what
// nlohmann::json::parse(body, nullptr, false) gives, only quicker for the messages that carry a
// document's whole text, one string of megabytes the general reader takes a character at a time.
nlohmann::json ParseMessage(std::string_view body);

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_MESSAGE_JSON_H
