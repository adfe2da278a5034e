// SPDX-License-Identifier: MIT
#include "loading.h"

#include <reuseblocks/diagnostics.h>

#include "files/standard_streams.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

void LoadOrFail(CReuseBlockFile& blocks, const std::string& path) {
    const LoadReport report = LoadFileWithReport(blocks, ReadablePath(path).c_str());
    if (!report.Succeeded()) {
        throw ToolError(kExitFailure,
                        Diagnostic(DisplayName(path), report.line, "error", report.message));
    }
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
