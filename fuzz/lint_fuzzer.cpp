// SPDX-License-Identifier: MIT
// `check --strict` on arbitrary bytes, in memory, through reuseblocks_cli_core. Whatever the
// bytes: problems come in file order, on lines the file has, at most the limit and its note; in a
// file the library loads, the lines read on their own find every block's line (the two readings
// agree); the JSON report is valid; and once `set --sync-int` has rewritten the internal
// locations of a file whose values all read back, no InternalLocation problem is left. The
// loader finds the first text it passes over where the check does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include <reuseblocks/diagnostics.h>
#include <reuseblocks/edit.h>

#include "edit/loading.h"
#include "edit/sync_int.h"
#include "harness_support.h"
#include "inspect/file_check.h"
#include "inspect/line_lint.h"

namespace {

using reuseblocks::tool::FileCheck;
using reuseblocks::tool::Problem;

bool Has(const FileCheck& check, std::string_view code) {
    return std::any_of(check.problems.begin(), check.problems.end(),
                       [&](const Problem& problem) { return problem.code == code; });
}

void CheckProblems(const FileCheck& check, std::size_t lines) {
    HARNESS_CHECK(check.problems.size() <= reuseblocks::tool::kProblemLimit + 1);
    for (std::size_t i = 0; i < check.problems.size(); ++i) {
        const Problem& problem = check.problems[i];
        HARNESS_CHECK(problem.line <= std::max<std::size_t>(lines, 1));  // an empty file's line 1
        HARNESS_CHECK(!problem.code.empty() && !problem.message.empty());
        HARNESS_CHECK(problem.severity == "error" || problem.severity == "warning" ||
                      problem.severity == "note");
        if (i > 0) HARNESS_CHECK(check.problems[i - 1].line - 1 <= problem.line - 1);
        // Loaded whole, every block's line is found again by reading the lines on their own.
        if (check.report.Succeeded() && problem.code != "ProblemLimit") {
            HARNESS_CHECK(problem.line > 0);
        }
    }
}

// The lines of `text`, a last one without a line break included.
std::size_t LinesOf(std::string_view text) {
    const auto breaks = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return breaks + (text.empty() || text.back() == '\n' ? 0 : 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const FileCheck check = reuseblocks::tool::CheckText(text, true);
    CheckProblems(check, LinesOf(text));
    std::string json;
    {
        reuseblocks::tool::JsonWriter writer(json, reuseblocks::tool::JsonWriter::Layout::kCompact);
        reuseblocks::tool::WriteFileCheckJson(writer, "lint.blocks", check);
    }
    HARNESS_CHECK(nlohmann::json::accept(json));

    // The loader's word on text it passes over is the check's: the same first line, whether the
    // text is read on one thread or in pieces.
    reuseblocks::SkippedText skipped;
    reuseblocks::SkippedText inPieces;
    {
        CReuseBlockFile one;
        CReuseBlockFile several;
        reuseblocks::LoadOptions threads;
        threads.threads = 1;
        const bool loaded =
            reuseblocks::LoadTextWithReport(one, text, threads, skipped).Succeeded();
        threads.threads = 3;
        reuseblocks::LoadTextWithReport(several, text, threads, inPieces);
        HARNESS_CHECK(skipped.firstLine == inPieces.firstLine);
        if (loaded) {
            const auto ignored = reuseblocks::tool::FirstIgnoredText(text);
            HARNESS_CHECK(skipped.firstLine == (ignored ? ignored->line : 0));
        }
    }

    if (!check.report.Succeeded() || Has(check, "RoundTrip") || Has(check, "ProblemLimit")) {
        return 0;
    }
    CReuseBlockFile blocks;
    HARNESS_CHECK(reuseblocks::LoadTextWithReport(blocks, text).Succeeded());
    for (CReuseBlock* block : reuseblocks::tool::BlocksInOrder(blocks)) {
        reuseblocks::tool::SyncInternalLocation(*block);
    }
    // As `set --sync-int` writes it: the file's own text with the new values.
    std::string synced;
    const reuseblocks::UpdateReport update = reuseblocks::UpdateText(text, blocks, {}, synced);
    HARNESS_CHECK(update.Succeeded());
    const std::string_view after =
        update.result == reuseblocks::UpdateResult::kUnchanged ? text : std::string_view(synced);
    HARNESS_CHECK(!Has(reuseblocks::tool::CheckText(after, true), "InternalLocation"));
    return 0;
}
