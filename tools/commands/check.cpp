// SPDX-License-Identifier: MIT
// `check`: load files and report every problem found, as diagnostics or as JSON.
#include <iostream>

#include "commands/commands.h"
#include "files/standard_streams.h"
#include "inspect/file_check.h"
#include "terminal/progress_line.h"
#include "terminal/standard_output.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

// "Convention 3, Units 1200": every problem by code, those not shown too.
std::string CountsByCode(const std::map<std::string, std::size_t, std::less<>>& counts) {
    std::string text;
    for (const auto& [code, count] : counts) {
        text += (text.empty() ? "" : ", ") + code + " " + std::to_string(count);
    }
    return text;
}

}  // namespace

int RunCheck(const CheckOptions& options) {
    const ProblemSelection selection =
        ParseProblemSelection(options.only, options.skip, options.maxProblems);
    int status = kExitSuccess;
    std::string out;
    JsonWriter json(out, JsonWriter::Layout::kPretty, SendToStandardOutput);
    json.BeginArray();
    for (const std::string& path : options.files) {
        ProgressLine::Step("checking " + Quoted(DisplayName(path)));
        const FileCheck check = CheckFile(path, options.strict, selection);
        if (!check.Ok()) status = kExitFailure;
        if (options.json) {
            WriteFileCheckJson(json, path, check);
            continue;
        }
        for (const Problem& problem : check.problems) {
            PrintDiagnostic(
                Diagnostic(DisplayName(path), problem.line, problem.severity, problem.message));
        }
        if (!check.report.Succeeded()) continue;
        std::cout << EscapeForDisplay(DisplayName(path)) << ": "
                  << Counted(check.blocks, "block", "blocks") << ", "
                  << Counted(check.layerMaps, "layer map", "layer maps");
        if (check.warnings > 0) std::cout << ", " << Counted(check.warnings, "warning", "warnings");
        if (!check.counts.empty()) std::cout << " (" << CountsByCode(check.counts) << ")";
        if (!check.unselected.empty()) {
            std::cout << "; not selected: " << CountsByCode(check.unselected);
        }
        std::cout << std::endl;  // flushed, so that it stays in order with stderr in one log
    }
    json.EndArray();
    if (options.json) {
        out += '\n';
        SendToStandardOutput(out);
    }
    return status;
}

}  // namespace reuseblocks::tool
