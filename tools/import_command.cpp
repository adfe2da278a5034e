// SPDX-License-Identifier: MIT
// `import` and `set --from`: many blocks in from scripts and spreadsheets, in one load and one
// write. Every record is checked before anything is written, and one bad record rejects all.
#include <algorithm>
#include <iostream>

#include "block_records.h"
#include "blocks_io.h"
#include "commands.h"
#include "field_names.h"
#include "standard_streams.h"
#include "text_output.h"
#include "tool_error.h"
#include "value_checks.h"

namespace reuseblocks::tool {

namespace {

// Prints the problems of a batch, in input order, and ends the command: nothing is written.
void FailOnProblems(const std::string& input, std::vector<InputProblem>& problems) {
    if (problems.empty()) return;
    std::stable_sort(problems.begin(), problems.end(),
                     [](const InputProblem& a, const InputProblem& b) { return a.line < b.line; });
    for (const InputProblem& problem : problems) {
        std::cerr << Diagnostic(input, problem.line, "error", problem.message) << '\n';
    }
    throw ToolError(kExitFailure,
                    "reuseblocks: error: " + Counted(problems.size(), "problem", "problems") +
                        " in " + DisplayName(input) + "; nothing written");
}

void ReadRecords(const std::string& input, const std::string& format, const RecordSink& sink,
                 std::vector<InputProblem>& problems) {
    const RecordFormat chosen = ChooseRecordFormat(input, format);
    ReadBlockRecords(ReadablePath(input), chosen, sink, problems);
}

void ReplaceLayerMaps(CReuseBlock& block, const BlockRecord& record) {
    if (!record.layerMaps) return;
    while (block.GetLayerMapCount() > 0) block.RemoveLayerMap(block.GetLayerMapCount() - 1);
    for (const auto& columns : *record.layerMaps) {
        const std::uint32_t row = block.NewLayerMap();
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            block.GetLayerMap(row, column) = columns[column].c_str();
        }
    }
}

void Apply(CReuseBlock& block, const BlockRecord& record) {
    for (const auto& [index, value] : record.properties) block.SetProperty(index, value.c_str());
    ReplaceLayerMaps(block, record);
}

}  // namespace

int RunImport(const ImportOptions& options) {
    std::vector<InputProblem> problems;
    CReuseBlockFile blocks;
    const auto add = [&](const BlockRecord& record) {
        if (!record.id) {
            return problems.push_back({record.line, "the block has no BLOCK_HIER_NAME"});
        }
        std::array<bool, CReuseBlock::kPropertyCount> given{};
        for (const auto& property : record.properties) given[property.first] = true;
        const std::string missing = MissingProperties(given);
        if (!missing.empty()) {
            problems.push_back(
                {record.line, "block " + Quoted(*record.id) + " needs a value for " + missing});
        }
        CReuseBlock* block = blocks.NewBlock(record.id->c_str());
        if (!block) {
            return problems.push_back(
                {record.line, "block ID " + Quoted(*record.id) + " is already defined"});
        }
        block->Init();
        Apply(*block, record);
    };
    ReadRecords(options.input, options.format, add, problems);
    FailOnProblems(options.input, problems);
    WriteOrFail(blocks, options.write.output, options.write.app, options.write.force);
    return kExitSuccess;
}

int RunSetFrom(const SetOptions& options) {
    if (IsStandardStream(options.file) && IsStandardStream(options.updates)) {
        throw UsageError("FILE and --from cannot both be standard input");
    }
    if (!options.id.empty() || !options.assignments.empty()) {
        throw UsageError("set takes either ID FIELD=VALUE... or --from UPDATES, not both");
    }
    const FileLock lock = LockForEdit(options.file, options.write);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    std::vector<InputProblem> problems;
    const auto update = [&](const BlockRecord& record) {
        CReuseBlock* block = nullptr;
        if (!record.id) {
            problems.push_back({record.line, "the row names no block (no BLOCK_HIER_NAME or ID)"});
        } else if (blocks.GetBlock(record.id->c_str(), block) == 0) {
            problems.push_back(
                {record.line, DisplayName(options.file) + " has no block " + Quoted(*record.id)});
        } else {
            Apply(*block, record);
        }
    };
    ReadRecords(options.updates, options.format, update, problems);
    FailOnProblems(options.updates, problems);
    WriteOrFail(blocks, options.write.DestinationFor(options.file), options.write.app,
                options.write.force);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
