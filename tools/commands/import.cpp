// SPDX-License-Identifier: MIT
// `import`: a blocks file from the rows of scripts and spreadsheets, in one write. Every record
// is checked before anything is written, and one bad record rejects all.
#include "commands/commands.h"
#include "edit/changes.h"
#include "records/value_checks.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

int RunImport(const ImportOptions& options) {
    EditSession imported(options.write);
    CReuseBlockFile& blocks = imported.Blocks();
    std::vector<InputProblem> problems;
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
    ApplyRecordsOrFail(options.input, options.format, add, problems);
    return imported.Write();
}

}  // namespace reuseblocks::tool
