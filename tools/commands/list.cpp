// SPDX-License-Identifier: MIT
// `list`: the blocks of a file that meet --where, as a table, CSV, TSV, JSON or JSON Lines.
#include "commands/commands.h"
#include "edit/loading.h"
#include "files/standard_streams.h"
#include "inspect/listing.h"
#include "terminal/text_escape.h"
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
    ListingQuery query;
    query.where = ParseConditions(options.where, options.whereLiteral, options.ignoreCase);
    query.sortBy = ParseFields(options.sort);
    if (!options.countBy.empty()) {
        const std::vector<QueryField> field = ParseFields({options.countBy});
        if (field.size() != 1) throw UsageError("--count-by takes one field");
        if (!options.fields.empty())
            throw UsageError("--count-by makes its own columns; leave out --fields");
        query.countBy = field.front();
    }
    const std::vector<QueryField> fields = ParseFields(options.fields);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    const std::size_t printed =
        PrintListing(blocks, query, fields, FormatNamed(options.format), !options.noHeader);
    // An empty answer and a misspelt value look alike on the screen.
    if (printed == 0 && !query.where.empty()) {
        PrintDiagnostic(WarningLine("no block of " + EscapeForDisplay(DisplayName(options.file)) +
                                    " matches --where"));
    }
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
