// SPDX-License-Identifier: MIT
#include "changes.h"

#include <algorithm>
#include <optional>

#include "files/standard_streams.h"
#include "records/fields.h"
#include "records/value_checks.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

Assignment ParseAssignment(const std::string& text, AssignmentUse use) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) throw UsageError("expected FIELD=VALUE, got " + Quoted(text));
    const std::string name = text.substr(0, equals);
    const std::optional<std::uint32_t> index = PropertyNamedByUser(name);
    if (!index) {
        throw UsageError(UnknownField(name));
    }
    // The collection keeps a block under the ID it was created with, so changing the property
    // alone would leave the two disagreeing.
    if (*index == kBlockHierName && use == AssignmentUse::kAdd) {
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

void ReplaceLayerMaps(
    CReuseBlock& block,
    const std::vector<std::array<std::string, CReuseBlock::kLayerMapColumnCount>>& rows) {
    while (block.GetLayerMapCount() > 0) block.RemoveLayerMap(block.GetLayerMapCount() - 1);
    for (const auto& columns : rows) {
        const std::uint32_t row = block.NewLayerMap();
        // By length, not up to a NUL byte: a value holding one is a problem of its record, and
        // nothing is written.
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            block.GetLayerMap(row, column) = std::string_view(columns[column]);
        }
    }
}

}  // namespace

std::vector<Assignment> ParseAssignments(const std::vector<std::string>& texts, AssignmentUse use) {
    std::vector<Assignment> assignments;
    for (const std::string& text : texts) assignments.push_back(ParseAssignment(text, use));
    return assignments;
}

void RequireWritable(std::string_view field, const std::string& value, ValuePlace place) {
    const std::string problem = UnwritableValue(field, value, place);
    if (!problem.empty()) throw UsageError(problem);
}

void Apply(CReuseBlock& block, const std::vector<Assignment>& assignments) {
    // By length, as the layer maps are: no NUL byte reaches here, and the length is known.
    for (const auto& [index, value] : assignments)
        block.GetProperty(index) = std::string_view(value);
}

void Apply(CReuseBlock& block, const BlockRecord& record) {
    Apply(block, record.properties);
    if (record.layerMaps) ReplaceLayerMaps(block, *record.layerMaps);
}

void CopyBlock(const CReuseBlock& from, CReuseBlock& to) {
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        to.GetProperty(index) = from.GetProperty(index);
    }
    // CString to CString, so that no byte of a value is lost on the way.
    while (to.GetLayerMapCount() > 0) to.RemoveLayerMap(to.GetLayerMapCount() - 1);
    for (std::uint32_t row = 0; row < from.GetLayerMapCount(); ++row) {
        const std::uint32_t added = to.NewLayerMap();
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            to.GetLayerMap(added, column) = from.GetLayerMap(row, column);
        }
    }
}

void ApplyRecordsOrFail(const std::string& input, const std::string& format, const RecordSink& sink,
                        std::vector<InputProblem>& problems) {
    const RecordFormat chosen = ChooseRecordFormat(input, format);
    ReadBlockRecords(ReadablePath(input), chosen, sink, problems);
    if (problems.empty()) return;
    std::stable_sort(problems.begin(), problems.end(),
                     [](const InputProblem& a, const InputProblem& b) { return a.line < b.line; });
    for (const InputProblem& problem : problems) {
        PrintDiagnostic(Diagnostic(DisplayName(input), problem.line, "error", problem.message));
    }
    throw Failure(Counted(problems.size(), "problem", "problems") + " in " +
                  EscapeForDisplay(DisplayName(input)) + "; nothing written");
}

}  // namespace reuseblocks::tool
