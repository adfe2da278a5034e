// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_EDIT_CHANGES_H
#define REUSEBLOCKS_TOOLS_EDIT_CHANGES_H

#include <reuseblocks/diagnostics.h>
#include <reuseblocks/reuseblocks.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/block_records.h"

namespace reuseblocks::tool {

// What the edit commands do to a block, each value checked before anything changes: a value the
// file format cannot carry is refused, because the file would read back differently or not at
// all.

// A property index and its new value.
using Assignment = std::pair<std::uint32_t, std::string>;

// Whom a mistaken BLOCK_HIER_NAME=... is explained to.
enum class AssignmentUse { kSet, kAdd };

// FIELD=VALUE arguments; an unknown field, the block ID or a value that cannot be stored is a
// usage error.
std::vector<Assignment> ParseAssignments(const std::vector<std::string>& texts, AssignmentUse use);

// A usage error unless `value` can be stored as `field` in `place`.
void RequireWritable(std::string_view field, const std::string& value, ValuePlace place);

void Apply(CReuseBlock& block, const std::vector<Assignment>& assignments);

// The values of a record; its layer maps, when it has any, replace the block's.
void Apply(CReuseBlock& block, const BlockRecord& record);

// `to` takes the values and rows of `from` and keeps its place in the walk order.
void CopyBlock(const CReuseBlock& from, CReuseBlock& to);

// Hands every record of `input` ("-": standard input) to `sink`; then, when the input or the
// sink found any problem, prints them all in input order and ends the command with nothing
// written.
void ApplyRecordsOrFail(const std::string& input, const std::string& format, const RecordSink& sink,
                        std::vector<InputProblem>& problems);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_EDIT_CHANGES_H
