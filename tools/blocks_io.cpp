// SPDX-License-Identifier: MIT
#include "blocks_io.h"

#include <reuseblocks/diagnostics.h>

#include <cerrno>

#include "round_trip_text.h"
#include "standard_streams.h"
#include "text_output.h"
#include "tool_error.h"
#include "write_failure.h"

namespace reuseblocks::tool {

std::string Diagnostic(const std::string& path, unsigned long line, const char* severity,
                       const std::string& message) {
    std::string text = EscapeForDisplay(DisplayName(path));
    if (line > 0) text += ":" + std::to_string(line);
    return text + ": " + severity + ": " + EscapeForDisplay(message);
}

void LoadOrFail(CReuseBlockFile& blocks, const std::string& path) {
    const LoadReport report = LoadFileWithReport(blocks, ReadablePath(path).c_str());
    if (!report.Succeeded()) {
        throw ToolError(kExitFailure, Diagnostic(path, report.line, "error", report.message));
    }
}

void WriteOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& app,
                 bool force) {
    if (!force) {
        const std::vector<RoundTripProblem> problems = FindRoundTripProblems(blocks);
        if (!problems.empty()) {
            std::string text;
            for (const RoundTripProblem& problem : problems) {
                text += "reuseblocks: error: " + RoundTripMessage(problem) + "\n";
            }
            throw ToolError(kExitFailure,
                            text + "reuseblocks: error: not writing " + Quoted(path) + ": " +
                                Counted(problems.size(), "value", "values") +
                                " would not read back the same (--force writes anyway)");
        }
    }
    if (IsStandardStream(path)) {
        const std::string complete = ScratchPath("stdout");
        WriteOrFail(blocks, complete, app, true);  // checked above
        return CopyToStandardOutput(complete);
    }
    errno = 0;
    if (blocks.WriteFile(path.c_str(), app.c_str()) == 0) {
        const std::string why = WhyWriteFailed(path, errno);
        throw ToolError(kExitFailure, "reuseblocks: error: cannot write " + Quoted(path) +
                                          (why.empty() ? "" : ": " + why));
    }
}

FileLock LockForEdit(const std::string& file, const WriteOptions& write) {
    if (IsStandardStream(file) || (!write.output.empty() && write.output != file)) {
        return FileLock();
    }
    return FileLock::Acquire(file, !write.noWait);
}

CReuseBlock& BlockOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& id) {
    CReuseBlock* block = nullptr;
    if (blocks.GetBlock(id.c_str(), block) == 0) {
        throw UsageError(EscapeForDisplay(DisplayName(path)) + " has no block " + Quoted(id));
    }
    return *block;
}

std::vector<CReuseBlock*> BlocksInOrder(const CReuseBlockFile& blocks) {
    std::vector<CReuseBlock*> ordered;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        ordered.push_back(blocks.GetNext(position));
    }
    return ordered;
}

}  // namespace reuseblocks::tool
