// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_BLOCK_RECORDS_H
#define REUSEBLOCKS_TOOLS_RECORDS_BLOCK_RECORDS_H

#include <reuseblocks/reuseblocks.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace reuseblocks::tool {

enum class RecordFormat { kJson, kJsonLines, kCsv, kTsv };

// `name` ("json", "jsonl", "csv", "tsv") or, when empty, the extension of the file `argument`, or
// for standard input its first line; a usage error when none of them tells.
RecordFormat ChooseRecordFormat(const std::string& argument, const std::string& name);

struct InputProblem {
    unsigned long line;  // 0 when the input as a whole is at fault
    std::string message;
};

// One block as a script or spreadsheet describes it: the values it gives, each already checked
// for what a blocks file can hold.
struct BlockRecord {
    unsigned long line = 0;
    std::optional<std::string> id;
    std::vector<std::pair<std::uint32_t, std::string>> properties;  // never the ID
    std::optional<std::vector<std::array<std::string, CReuseBlock::kLayerMapColumnCount>>>
        layerMaps;
};

using RecordSink = std::function<void(const BlockRecord&)>;

// Hands the records of `path` (a local file) to `sink` one by one, in input order, and every
// problem found to `problems`; a record is handed on even when it has problems of its own.
// Reading stops after kMostProblems problems, the last one saying so.
// JSON is what `list --json` or `show --json` print: block objects of "properties",
// "layer_maps" and the derived "symbol"; field names may also stand at the top of an object.
// A number is taken as the text it is written in, and a key an object repeats is a problem.
// JSON Lines holds one such object per line; CSV has a header row of field names, and TSV is
// CSV with tabs for commas. "ID" names
// BLOCK_HIER_NAME; SYMBOL is derived and skipped; a MAPS column must say 0, as layer maps
// come only through JSON.
void ReadBlockRecords(const std::string& path, RecordFormat format, const RecordSink& sink,
                      std::vector<InputProblem>& problems);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_BLOCK_RECORDS_H
