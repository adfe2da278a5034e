// SPDX-License-Identifier: MIT
// `list`: the blocks of a file that meet --where, as a table, CSV, TSV, JSON or JSON Lines.
#include "commands/commands.h"
#include "edit/loading.h"
#include "inspect/listing.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

ListFormat FormatNamed(const std::string& name) {
    if (name == "json") return ListFormat::kJson;
    if (name == "jsonl") return ListFormat::kJsonLines;
    if (name == "csv") return ListFormat::kCsv;
    if (name == "tsv") return ListFormat::kTsv;
    return ListFormat::kTable;
}

}  // namespace

int RunList(const ListOptions& options) {
    const std::vector<QueryCondition> where = ParseConditions(options.where);
    const std::vector<QueryField> fields = ParseFields(options.fields);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    PrintListing(blocks, where, fields, FormatNamed(options.format), !options.noHeader);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
