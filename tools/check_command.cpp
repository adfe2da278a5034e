// SPDX-License-Identifier: MIT
// `check`: load files and report every problem found; with --strict also values outside the
// header's conventions, a missing format line, repeated layer maps and values a write would not
// give back.
#include <reuseblocks/diagnostics.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "blocks_io.h"
#include "commands.h"
#include "json_output.h"
#include "lint.h"
#include "record_lines.h"
#include "round_trip_text.h"
#include "standard_streams.h"
#include "text_output.h"
#include "tool_error.h"

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

Json OptionalJson(const std::optional<std::string>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json ProblemJson(const Problem& problem) {
    return {{"line", problem.line > 0 ? Json(problem.line) : Json(nullptr)},
            {"severity", problem.severity},
            {"code", problem.code},
            {"block", OptionalJson(problem.block)},
            {"field", OptionalJson(problem.field)},
            {"message", problem.message}};
}

}  // namespace

int RunCheck(const CheckOptions& options) {
    int status = kExitSuccess;
    Json results = Json::array();
    for (const std::string& path : options.files) {
        CReuseBlockFile blocks;
        const std::string local = ReadablePath(path);  // standard input, read into a file
        const LoadReport report = LoadFileWithReport(blocks, local.c_str());
        const std::vector<CReuseBlock*> ordered = BlocksInOrder(blocks);
        std::vector<Problem> problems = LoadProblems(report);
        if (options.strict && report.Code() != LoadResult::kCannotRead) {
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
        const auto warnings = static_cast<std::size_t>(
            std::count_if(problems.begin(), problems.end(),
                          [](const Problem& problem) { return problem.severity == "warning"; }));
        const bool ok = report.Succeeded() && warnings == 0;
        if (!ok) status = kExitFailure;
        const std::size_t layerMaps = CountLayerMaps(ordered);

        if (options.json) {
            Json problemList = Json::array();
            for (const Problem& problem : problems) problemList.push_back(ProblemJson(problem));
            results.push_back({{"file", path},
                               {"ok", ok},
                               {"result", report.result},
                               {"result_name", LoadResultName(report.result)},
                               {"blocks", ordered.size()},
                               {"layer_maps", layerMaps},
                               {"problems", std::move(problemList)}});
            continue;
        }
        for (const Problem& problem : problems) {
            std::cerr << EscapeForDisplay(Diagnostic(path, problem.line, problem.severity.c_str(),
                                                     problem.message))
                      << std::endl;
        }
        if (!report.Succeeded()) continue;
        std::cout << EscapeForDisplay(DisplayName(path)) << ": "
                  << Counted(ordered.size(), "block", "blocks") << ", "
                  << Counted(layerMaps, "layer map", "layer maps");
        if (warnings > 0) std::cout << ", " << Counted(warnings, "warning", "warnings");
        std::cout << std::endl;  // flushed, so that it stays in order with stderr in one log
    }
    if (options.json) PrintJson(results, std::cout);
    return status;
}

}  // namespace reuseblocks::tool
