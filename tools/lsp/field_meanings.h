// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_FIELD_MEANINGS_H
#define REUSEBLOCKS_TOOLS_LSP_FIELD_MEANINGS_H

#include <string_view>

namespace reuseblocks::tool::lsp {

// What a field holds, in a sentence, by its name (a property, a layer-map column or the mapping
// keyword); empty for another name.
std::string_view FieldMeaning(std::string_view name);

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_FIELD_MEANINGS_H
