// SPDX-License-Identifier: MIT
#include "file_check.h"

#include <algorithm>
#include <filesystem>

#include "edit/loading.h"
#include "files/standard_streams.h"
#include "inspect/line_lint.h"
#include "records/round_trip_text.h"

namespace reuseblocks::tool {

namespace {

std::vector<Problem> LoadProblems(const LoadReport& report) {
    if (report.Succeeded()) return {};
    return {{report.line, "error", LoadResultName(report.result), std::nullopt, std::nullopt,
             report.message}};
}

// Added after every other problem, so that it comes last among those of its line.
void NoteLoadingStopped(std::vector<Problem>& problems, const LoadReport& report, bool strict) {
    if (report.Succeeded() || report.line == 0) return;
    problems.push_back({report.line, "note", "LoadingStopped", std::nullopt, std::nullopt,
                        strict ? "loading stops at a rejected line; the lines after it are "
                                 "checked, but not loaded"
                               : "loading stops at a rejected line; the lines after it are not "
                                 "checked"});
}

BlockValues ValuesOf(CReuseBlock& block) {
    BlockValues values;
    for (std::uint32_t index = 0; index < values.size(); ++index) {
        values[index] = block.GetProperty(index).GetView();
    }
    return values;
}

BlockValues ValuesOf(const UnloadedBlock& block) {
    BlockValues values;
    for (std::size_t index = 0; index < values.size(); ++index) values[index] = block.values[index];
    return values;
}

bool IsWarning(const Problem& problem) {
    return problem.severity == "warning";
}

// Each rule stops at kProblemLimit + 1 warnings; `stopped` is set when one did, since the
// warnings left out are then more than those counted.
template <typename Problems>
void Append(std::vector<Problem>& to, Problems&& problems, bool& stopped) {
    if (static_cast<std::size_t>(std::count_if(problems.begin(), problems.end(), IsWarning)) >
        kProblemLimit) {
        stopped = true;
    }
    to.insert(to.end(), std::make_move_iterator(problems.begin()),
              std::make_move_iterator(problems.end()));
}

// Keeps the first kProblemLimit warnings in file order and every error and note, the rejected
// line above all: a file of warnings must not hide why it does not load. Returns how many
// warnings it left out.
std::size_t LeaveOutWarnings(std::vector<Problem>& problems) {
    std::size_t shown = 0;
    const auto end = std::remove_if(problems.begin(), problems.end(), [&](const Problem& problem) {
        return IsWarning(problem) && ++shown > kProblemLimit;
    });
    const auto leftOut = static_cast<std::size_t>(problems.end() - end);
    problems.erase(end, problems.end());
    return leftOut;
}

std::vector<Problem> RoundTripProblems(const CReuseBlockFile& blocks,
                                       const std::vector<CReuseBlock*>& ordered,
                                       const std::vector<RecordLines>& lines) {
    // Problems come in walk order, so the block they name is found by walking along with them.
    std::vector<Problem> problems;
    std::size_t index = 0;
    for (const RoundTripProblem& problem : FindRoundTripProblems(blocks)) {
        if (problems.size() > kProblemLimit) break;
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
    bool stopped = false;  // a rule stopped counting its warnings
    if (check.report.Code() != LoadResult::kCannotRead) {
        // Git's conflict markers, each at its line, instead of the field count of the first.
        for (const unsigned long line : ConflictMarkerLines(path)) {
            if (!problems.empty() && problems.front().line == line &&
                problems.front().code != "MergeConflict") {
                problems.erase(problems.begin());
            }
            problems.push_back(
                {line, "error", "MergeConflict", std::nullopt, std::nullopt, kConflictMessage});
        }
    }
    if (strict && check.report.Code() != LoadResult::kCannotRead) {
        // Lines are found by reading the file again, which a pipe cannot give twice (and
        // opening it again could wait forever for a writer).
        std::error_code ignored;
        LineLint text;
        if (std::filesystem::is_regular_file(local, ignored)) {
            if (std::optional<Problem> problem = CheckFormatLine(local)) {
                problems.push_back(std::move(*problem));
            }
            text = LintLines(local, check.report.Succeeded() ? 0 : check.report.line);
            if (text.lines.size() < ordered.size()) text.lines.clear();  // changed meanwhile
        }
        BlockLint values;
        for (std::size_t index = 0; index < ordered.size(); ++index) {
            values.Check(ValuesOf(*ordered[index]),
                         index < text.lines.size() ? text.lines[index].definition : 0);
        }
        for (const UnloadedBlock& block : text.unloaded) values.Check(ValuesOf(block), block.line);
        Append(problems, text.problems, stopped);
        Append(problems, values.Finish(), stopped);
        Append(problems, CheckLayerMaps(ordered, text.lines), stopped);
        Append(problems, RoundTripProblems(blocks, ordered, text.lines), stopped);
    } else if (check.report.Code() != LoadResult::kCannotRead) {
        // Text the loader skipped loads as nothing, and an edit refuses the file: said without
        // --strict too.
        std::error_code ignored;
        if (std::filesystem::is_regular_file(local, ignored)) {
            LineLint text = LintLines(local, check.report.Succeeded() ? 0 : check.report.line);
            text.problems.erase(std::remove_if(text.problems.begin(), text.problems.end(),
                                               [](const Problem& p) { return !IsIgnoredText(p); }),
                                text.problems.end());
            Append(problems, text.problems, stopped);
        }
    }
    NoteLoadingStopped(problems, check.report, strict);
    // In file order; what has no line goes last.
    std::stable_sort(problems.begin(), problems.end(), [](const Problem& a, const Problem& b) {
        return (a.line - 1) < (b.line - 1);
    });
    const std::size_t leftOut = LeaveOutWarnings(problems);
    if (leftOut > 0) {
        problems.push_back({0, "note", "ProblemLimit", std::nullopt, std::nullopt,
                            "stopped showing warnings after " + std::to_string(kProblemLimit) +
                                "; " + (stopped ? "at least " : "") + std::to_string(leftOut) +
                                (leftOut == 1 ? " more warning is" : " more warnings are") +
                                " left out (errors are all shown)"});
    }
    check.warnings =
        static_cast<std::size_t>(std::count_if(problems.begin(), problems.end(), IsWarning)) +
        leftOut;
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
