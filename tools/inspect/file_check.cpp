// SPDX-License-Identifier: MIT
#include "file_check.h"

#include <algorithm>
#include <filesystem>

#include "edit/loading.h"
#include "files/standard_streams.h"
#include "inspect/record_lines.h"
#include "records/round_trip_text.h"

namespace reuseblocks::tool {

namespace {

std::vector<Problem> LoadProblems(const LoadReport& report) {
    if (report.Succeeded()) return {};
    std::vector<Problem> problems = {{report.line, "error", LoadResultName(report.result),
                                      std::nullopt, std::nullopt, report.message}};
    if (report.line > 0) {
        problems.push_back({report.line, "note", "LoadingStopped", std::nullopt, std::nullopt,
                            "loading stops at a rejected line; the lines after it are not "
                            "checked"});
    }
    return problems;
}

std::vector<Problem> RoundTripProblems(const CReuseBlockFile& blocks,
                                       const std::vector<CReuseBlock*>& ordered,
                                       const std::vector<RecordLines>& lines) {
    // Problems come in walk order, so the block they name is found by walking along with them.
    std::vector<Problem> problems;
    std::size_t index = 0;
    for (const RoundTripProblem& problem : FindRoundTripProblems(blocks)) {
        while (ordered[index]->GetBlockID().GetView() != problem.blockID) ++index;
        unsigned long line = index < lines.size() ? lines[index].definition : 0;
        if (problem.row >= 0) {
            const auto row = static_cast<std::size_t>(problem.row);
            line = index < lines.size() && row < lines[index].layerMaps.size()
                       ? lines[index].layerMaps[row]
                       : 0;
        }
        problems.push_back({line, "warning", "RoundTrip", problem.blockID, RoundTripField(problem),
                            RoundTripMessage(problem)});
    }
    return problems;
}

std::size_t CountLayerMaps(const std::vector<CReuseBlock*>& blocks) {
    std::size_t count = 0;
    for (const CReuseBlock* block : blocks) count += block->GetLayerMapCount();
    return count;
}

void WriteOptional(JsonWriter& json, const std::optional<std::string>& value) {
    if (value) {
        json.String(*value);
    } else {
        json.Null();
    }
}

}  // namespace

FileCheck CheckFile(const std::string& path, bool strict) {
    FileCheck check;
    CReuseBlockFile blocks;
    const std::string local = ReadablePath(path);  // standard input, read into a file
    check.report = LoadFileWithReport(blocks, local.c_str());
    const std::vector<CReuseBlock*> ordered = BlocksInOrder(blocks);
    std::vector<Problem>& problems = check.problems;
    problems = LoadProblems(check.report);
    if (strict && check.report.Code() != LoadResult::kCannotRead) {
        // Lines are found by reading the file again, which a pipe cannot give twice (and
        // opening it again could wait forever for a writer).
        std::error_code ignored;
        const bool rereadable = std::filesystem::is_regular_file(local, ignored);
        std::vector<RecordLines> lines;
        if (rereadable) {
            if (std::optional<Problem> problem = CheckFormatLine(local)) {
                problems.push_back(std::move(*problem));
            }
            // After a rejected line the blocks loaded are the first ones of the file.
            lines = FindRecordLines(local);
            if (lines.size() < ordered.size()) lines.clear();  // changed meanwhile
        }
        const std::vector<Problem> conventions = CheckConventions(ordered, lines);
        const std::vector<Problem> roundTrip = RoundTripProblems(blocks, ordered, lines);
        problems.insert(problems.end(), conventions.begin(), conventions.end());
        problems.insert(problems.end(), roundTrip.begin(), roundTrip.end());
    }
    // In file order; what has no line goes last.
    std::stable_sort(problems.begin(), problems.end(), [](const Problem& a, const Problem& b) {
        return (a.line - 1) < (b.line - 1);
    });
    check.warnings = static_cast<std::size_t>(
        std::count_if(problems.begin(), problems.end(),
                      [](const Problem& problem) { return problem.severity == "warning"; }));
    check.blocks = ordered.size();
    check.layerMaps = CountLayerMaps(ordered);
    return check;
}

void WriteFileCheckJson(JsonWriter& json, const std::string& path, const FileCheck& check) {
    json.BeginObject().Key("file").String(path).Key("ok").Bool(check.Ok());
    json.Key("result").Number(check.report.result);
    json.Key("result_name").String(LoadResultName(check.report.result));
    json.Key("blocks").Number(check.blocks).Key("layer_maps").Number(check.layerMaps);
    json.Key("problems").BeginArray();
    for (const Problem& problem : check.problems) {
        json.BeginObject().Key("line");
        if (problem.line > 0) {
            json.Number(problem.line);
        } else {
            json.Null();
        }
        json.Key("severity").String(problem.severity).Key("code").String(problem.code);
        json.Key("block");
        WriteOptional(json, problem.block);
        json.Key("field");
        WriteOptional(json, problem.field);
        json.Key("message").String(problem.message).EndObject();
    }
    json.EndArray().EndObject();
}

}  // namespace reuseblocks::tool
