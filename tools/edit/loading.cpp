// SPDX-License-Identifier: MIT
#include "loading.h"

#include <reuseblocks/diagnostics.h>

#include "cli/near_miss.h"
#include "files/standard_streams.h"
#include "records/fields.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

void LoadOrFail(CReuseBlockFile& blocks, const std::string& path) {
    LoadOrFail(blocks, path, DisplayName(path));
}

void LoadOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& shownAs) {
    const LoadReport report = LoadFileWithReport(blocks, ReadablePath(path).c_str());
    if (!report.Succeeded()) {
        throw ToolError(kExitFailure, Diagnostic(shownAs, report.line, "error", report.message));
    }
}

CReuseBlock& BlockOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& id) {
    CReuseBlock* block = nullptr;
    if (blocks.GetBlock(id.c_str(), block) == 0) {
        std::vector<std::string> ids;
        for (const CReuseBlock* other : BlocksInOrder(blocks)) {
            ids.push_back(Text(other->GetProperty(0)));
        }
        const std::string nearest = NearestName(id, {ids.begin(), ids.end()});
        throw UsageError(EscapeForDisplay(DisplayName(path)) + " has no block " + Quoted(id) +
                         (nearest.empty() ? "" : "; did you mean " + Quoted(nearest) + "?"));
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
