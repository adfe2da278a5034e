// SPDX-License-Identifier: MIT
#include "lsp/document_diagnostics.h"

#include <algorithm>

#include "cli/near_miss.h"
#include "inspect/file_check.h"
#include "lsp/block_index.h"
#include "records/locations.h"

namespace reuseblocks::tool::lsp {

namespace {

// The index of `field` on a line of `kind`.
std::optional<std::size_t> FieldIndex(format::LineKind kind, const std::string& field) {
    if (kind == format::LineKind::kDefinition) {
        if (const auto property = FindProperty(field)) return static_cast<std::size_t>(*property);
    } else if (kind == format::LineKind::kMapping) {
        if (const auto column = FindLayerMapColumn(field)) return 2 + std::size_t{*column};
        if (field == PropertyName(kBlockHierName)) return 1;
    }
    return std::nullopt;
}

std::optional<std::string> FixOf(const Problem& problem, const RecordLine& line,
                                 std::size_t field) {
    if (line.kind != format::LineKind::kDefinition || line.fields.size() < kPropertyCount) {
        return std::nullopt;
    }
    if (problem.code == "Convention" || problem.code == "Side" || problem.code == "Units") {
        const auto* values = ConventionalValues(static_cast<Property>(field));
        if (values == nullptr) return std::nullopt;
        std::string nearest = NearestName(line.fields[field], *values);
        if (nearest.empty()) return std::nullopt;
        return nearest;
    }
    if (problem.code == "InternalLocation" && (field == kIntXLoc || field == kIntYLoc)) {
        const std::size_t axis = field == kIntXLoc ? kXLoc : kYLoc;
        if (const auto place = DatabaseUnits(line.fields[axis], line.fields[kUnits])) {
            return std::to_string(*place);
        }
    }
    return std::nullopt;
}

}  // namespace

PlacedProblem PlaceProblem(const TextDocument& document, Problem problem) {
    PlacedProblem placed;
    if (problem.line == 0 || problem.line > document.LoaderLineCount()) {
        placed.problem = std::move(problem);
        return placed;
    }
    const RecordLine line = ReadRecordLine(document, problem.line);
    std::optional<std::size_t> field;
    if (problem.field) field = FieldIndex(line.kind, *problem.field);
    // What names a block and no field is about its ID.
    if (!field && problem.block && !line.fields.empty()) {
        field = line.kind == format::LineKind::kMapping ? 1 : 0;
    }
    std::string_view span = line.trimmed;
    if (field && *field < line.fields.size()) {
        span = line.fields[*field];
        placed.fix = FixOf(problem, line, *field);
    } else if (span.empty()) {
        span = document.LoaderLine(problem.line).substr(0, 0);
    }
    placed.begin = document.OffsetOfView(span);
    placed.end = placed.begin + span.size();
    if (span.data() == nullptr) placed.begin = placed.end = document.LoaderLineStart(problem.line);
    placed.problem = std::move(problem);
    return placed;
}

std::vector<PlacedProblem> DiagnoseDocument(const TextDocument& document) {
    FileCheck check = CheckText(document.Text(), true);
    std::vector<PlacedProblem> placed;
    placed.reserve(check.problems.size());
    for (Problem& problem : check.problems)
        placed.push_back(PlaceProblem(document, std::move(problem)));
    return placed;
}

}  // namespace reuseblocks::tool::lsp
