// SPDX-License-Identifier: MIT
// `map add` and `map remove`: one layer map of a block.
#include <string>

#include "commands/commands.h"
#include "edit/changes.h"
#include "records/fields.h"
#include "records/value_checks.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

int RunMapAdd(const MapAddOptions& options) {
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        RequireWritable(LayerMapColumnName(column), options.columns[column],
                        PlaceOfLayerMapColumn(column));
    }
    EditSession edit(options.file, options.write);
    CReuseBlock& block = edit.Block(options.id);
    const std::uint32_t row = block.NewLayerMap();
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        block.GetLayerMap(row, column) = options.columns[column].c_str();
    }
    return edit.Write();
}

int RunMapRemove(const MapRemoveOptions& options) {
    EditSession edit(options.file, options.write);
    CReuseBlock& block = edit.Block(options.id);
    // The library ignores a row out of range; a person who named one made a mistake.
    if (options.row >= block.GetLayerMapCount()) {
        throw UsageError("block " + Quoted(options.id) + " has no layer map " +
                         std::to_string(options.row) + " (it has " +
                         std::to_string(block.GetLayerMapCount()) + ")");
    }
    block.RemoveLayerMap(options.row);
    return edit.Write();
}

}  // namespace reuseblocks::tool
