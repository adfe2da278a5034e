#include "blocks_io.h"

#include <reuseblocks/diagnostics.h>

#include "standard_streams.h"
#include "tool_error.h"

namespace reuseblocks::tool {

std::string Diagnostic(const std::string& path, unsigned long line, const char* severity,
                       const std::string& message) {
    std::string text = DisplayName(path);
    if (line > 0) text += ":" + std::to_string(line);
    return text + ": " + severity + ": " + message;
}

void LoadOrFail(CReuseBlockFile& blocks, const std::string& path) {
    const LoadReport report = LoadFileWithReport(blocks, ReadablePath(path).c_str());
    if (!report.Succeeded()) {
        throw ToolError(kExitFailure, Diagnostic(path, report.line, "error", report.message));
    }
}

void WriteOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& app) {
    if (IsStandardStream(path)) {
        const std::string complete = ScratchPath("stdout");
        WriteOrFail(blocks, complete, app);
        return CopyToStandardOutput(complete);
    }
    if (blocks.WriteFile(path.c_str(), app.c_str()) == 0) {
        throw ToolError(kExitFailure, "reuseblocks: error: cannot write " + Quoted(path));
    }
}

CReuseBlock& BlockOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& id) {
    CReuseBlock* block = nullptr;
    if (blocks.GetBlock(id.c_str(), block) == 0) {
        throw UsageError(DisplayName(path) + " has no block " + Quoted(id));
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
