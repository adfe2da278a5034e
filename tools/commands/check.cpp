// SPDX-License-Identifier: MIT
// `check`: load files and report every problem found, as diagnostics or as JSON.
#include <iostream>

#include "commands/commands.h"
#include "files/standard_streams.h"
#include "inspect/file_check.h"
#include "terminal/standard_output.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

int RunCheck(const CheckOptions& options) {
    int status = kExitSuccess;
    std::string out;
    JsonWriter json(out, JsonWriter::Layout::kPretty, SendToStandardOutput);
    json.BeginArray();
    for (const std::string& path : options.files) {
        const FileCheck check = CheckFile(path, options.strict);
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
