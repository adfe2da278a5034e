// SPDX-License-Identifier: MIT
// `set`, `add`, `remove`, `map add`, `map remove`: load, change, write. Every argument is checked
// before anything changes, and a value the file format cannot carry is refused, because the file
// would read back differently or not at all.
#include <reuseblocks/diagnostics.h>

#include <optional>
#include <utility>

#include "blocks_io.h"
#include "commands.h"
#include "field_names.h"
#include "value_checks.h"

#include "tool_error.h"

namespace reuseblocks::tool {

namespace {

using Assignment = std::pair<std::uint32_t, std::string>;

void RequireWritable(std::string_view field, const std::string& value, ValuePlace place) {
    const std::string problem = UnwritableValue(field, value, place);
    if (!problem.empty()) throw UsageError(problem);
}

// What set and add tell a person who gave BLOCK_HIER_NAME=...
enum class Command { kSet, kAdd };

Assignment ParseAssignment(const std::string& text, Command command) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) throw UsageError("expected FIELD=VALUE, got " + Quoted(text));
    const std::string name = text.substr(0, equals);
    const std::optional<std::uint32_t> index = FindProperty(name);
    if (!index) {
        throw UsageError("unknown field " + Quoted(name) + "; fields are " + PropertyNameList());
    }
    // The collection keeps a block under the ID it was created with, so changing the property
    // alone would leave the two disagreeing.
    if (*index == kBlockHierName && command == Command::kAdd) {
        throw UsageError(
            "BLOCK_HIER_NAME is the block ID, given as the ID argument: reuseblocks add FILE ID "
            "FIELD=VALUE...");
    }
    if (*index == kBlockHierName) {
        throw UsageError(
            "BLOCK_HIER_NAME is the block ID and cannot be set; add the block under the new ID "
            "and remove the old one");
    }
    std::string value = text.substr(equals + 1);
    RequireWritable(PropertyName(*index), value, PlaceOfProperty(*index));
    return {*index, std::move(value)};
}

std::vector<Assignment> ParseAssignments(const std::vector<std::string>& texts, Command command) {
    std::vector<Assignment> assignments;
    for (const std::string& text : texts) assignments.push_back(ParseAssignment(text, command));
    return assignments;
}

void Apply(CReuseBlock& block, const std::vector<Assignment>& assignments) {
    for (const auto& [index, value] : assignments) block.SetProperty(index, value.c_str());
}

}  // namespace

int RunSet(const SetOptions& options) {
    if (!options.updates.empty()) return RunSetFrom(options);
    if (!options.format.empty()) throw UsageError("--format describes the file of --from");
    if (options.id.empty() || options.assignments.empty()) {
        throw UsageError("set needs ID FIELD=VALUE... or --from UPDATES");
    }
    const std::vector<Assignment> assignments =
        ParseAssignments(options.assignments, Command::kSet);
    const FileLock lock = LockForEdit(options.file, options.write);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    Apply(BlockOrFail(blocks, options.file, options.id), assignments);
    WriteOrFail(blocks, options.write.DestinationFor(options.file), options.write.app,
                options.write.force);
    return kExitSuccess;
}

int RunAdd(const SetOptions& options) {
    RequireWritable("block ID", options.id, ValuePlace::kBlockID);
    const std::vector<Assignment> assignments =
        ParseAssignments(options.assignments, Command::kAdd);
    const FileLock lock = LockForEdit(options.file, options.write);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    CReuseBlock* existing = nullptr;
    if (blocks.GetBlock(options.id.c_str(), existing) != 0) {
        throw UsageError(EscapeForDisplay(options.file) + " already has a block " +
                         Quoted(options.id));
    }

    std::array<bool, CReuseBlock::kPropertyCount> given{};
    for (const Assignment& assignment : assignments) given[assignment.first] = true;
    const std::string missing = MissingProperties(given);
    if (!missing.empty()) {
        throw UsageError("block " + Quoted(options.id) + " needs a value for " + missing +
                         " (an empty value cannot be stored in a blocks file)");
    }

    CReuseBlock* block = blocks.NewBlock(options.id.c_str());
    block->Init();
    Apply(*block, assignments);
    WriteOrFail(blocks, options.write.DestinationFor(options.file), options.write.app,
                options.write.force);
    return kExitSuccess;
}

int RunRemove(const RemoveOptions& options) {
    const FileLock lock = LockForEdit(options.file, options.write);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    for (const std::string& id : options.ids) BlockOrFail(blocks, options.file, id);
    for (const std::string& id : options.ids) blocks.RemoveBlock(id.c_str());
    WriteOrFail(blocks, options.write.DestinationFor(options.file), options.write.app,
                options.write.force);
    return kExitSuccess;
}

int RunMapAdd(const MapAddOptions& options) {
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        RequireWritable(LayerMapColumnName(column), options.columns[column],
                        PlaceOfLayerMapColumn(column));
    }
    const FileLock lock = LockForEdit(options.file, options.write);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    CReuseBlock& block = BlockOrFail(blocks, options.file, options.id);
    const std::uint32_t row = block.NewLayerMap();
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        block.GetLayerMap(row, column) = options.columns[column].c_str();
    }
    WriteOrFail(blocks, options.write.DestinationFor(options.file), options.write.app,
                options.write.force);
    return kExitSuccess;
}

int RunMapRemove(const MapRemoveOptions& options) {
    const FileLock lock = LockForEdit(options.file, options.write);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    CReuseBlock& block = BlockOrFail(blocks, options.file, options.id);
    // The library ignores a row out of range; a person who named one made a mistake.
    if (options.row >= block.GetLayerMapCount()) {
        throw UsageError("block " + Quoted(options.id) + " has no layer map " +
                         std::to_string(options.row) + " (it has " +
                         std::to_string(block.GetLayerMapCount()) + ")");
    }
    block.RemoveLayerMap(options.row);
    WriteOrFail(blocks, options.write.DestinationFor(options.file), options.write.app,
                options.write.force);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
