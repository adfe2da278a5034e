// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_FILE_CHECK_H
#define REUSEBLOCKS_TOOLS_INSPECT_FILE_CHECK_H

#include <reuseblocks/diagnostics.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/lint.h"
#include "inspect/problem_selection.h"
#include "records/json_writer.h"

namespace reuseblocks::tool {

// What `check` finds in one file.
struct FileCheck {
    LoadReport report;
    std::size_t blocks = 0;
    std::size_t layerMaps = 0;
    std::size_t warnings = 0;       // of the selected codes, shown or not
    std::vector<Problem> problems;  // in file order; those without a line last
    // Every problem of the selected codes by code, those past the limit too.
    std::map<std::string, std::size_t, std::less<>> counts;
    // Problems of the codes --only or --skip leave out, by code: not shown, counted all the same.
    std::map<std::string, std::size_t, std::less<>> unselected;

    bool Ok() const { return report.Succeeded() && warnings == 0; }
};

// Loads `path` ("-": standard input) and reports what is wrong: the rejected line, text the
// loader skipped although it is neither blank nor a comment, and with `strict` the format line,
// values outside the header's conventions, repeated layer maps and values a write would not give
// back. `selection` picks the codes reported and how many warnings are shown.
FileCheck CheckFile(const std::string& path, bool strict, const ProblemSelection& selection = {});
// The same of a file's whole text, never written anywhere: an editor's unsaved buffer.
FileCheck CheckText(std::string_view text, bool strict, const ProblemSelection& selection = {});

// {"file", "ok", "result", "result_name", "blocks", "layer_maps", "problems": [{"line",
// "severity", "code", "block", "field", "message"}, ...], "counts": {CODE: N, ...},
// "not_selected": {CODE: N, ...}}
void WriteFileCheckJson(JsonWriter& json, const std::string& path, const FileCheck& check);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_FILE_CHECK_H
