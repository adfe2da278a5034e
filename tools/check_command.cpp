// `check`: load files and report what the loader rejected, and with --strict what a write would
// not give back.
#include <reuseblocks/diagnostics.h>

#include <iostream>

#include "blocks_io.h"
#include "commands.h"
#include "field_names.h"
#include "json_output.h"
#include "record_lines.h"

#include "standard_streams.h"
#include "text_output.h"
#include "tool_error.h"

namespace reuseblocks::tool {

namespace {

struct Warning {
    unsigned long line;
    std::string message;
};

std::string WarningText(const std::string& subject, const std::string& problems) {
    return subject + " " + problems + ": it would not read back the same";
}

std::vector<Warning> RoundTripWarnings(const CReuseBlockFile& blocks, const std::string& path) {
    const std::vector<CReuseBlock*> ordered = BlocksInOrder(blocks);
    std::vector<RecordLines> lines = FindRecordLines(ReadablePath(path));
    if (lines.size() != ordered.size()) lines.assign(ordered.size(), {});  // changed meanwhile

    // Problems come in walk order, so the block they name is found by walking along with them.
    std::vector<Warning> warnings;
    std::size_t index = 0;
    for (const RoundTripProblem& problem : FindRoundTripProblems(blocks)) {
        while (ordered[index]->GetBlockID().GetView() != problem.blockID) ++index;
        const std::string id = Quoted(problem.blockID);
        std::string subject;
        unsigned long line = lines[index].definition;
        if (problem.property == kBlockHierName) {
            subject = "block ID " + id;
        } else if (problem.property >= 0) {
            subject = std::string(PropertyName(static_cast<std::uint32_t>(problem.property))) +
                      " of block " + id;
        } else {
            const auto row = static_cast<std::size_t>(problem.row);
            line = row < lines[index].layerMaps.size() ? lines[index].layerMaps[row] : 0;
            subject = std::string(LayerMapColumnName(static_cast<std::uint32_t>(problem.column))) +
                      " of layer map " + std::to_string(row) + " of block " + id;
        }
        warnings.push_back({line, WarningText(subject, problem.message)});
    }
    return warnings;
}

std::size_t CountLayerMaps(const std::vector<CReuseBlock*>& blocks) {
    std::size_t count = 0;
    for (const CReuseBlock* block : blocks) count += block->GetLayerMapCount();
    return count;
}

}  // namespace

int RunCheck(const CheckOptions& options) {
    int status = kExitSuccess;
    Json results = Json::array();
    for (const std::string& path : options.files) {
        CReuseBlockFile blocks;
        const LoadReport report = LoadFileWithReport(blocks, ReadablePath(path).c_str());
        Json result = {{"file", path},
                       {"result", report.result},
                       {"result_name", LoadResultName(report.result)}};
        if (!report.Succeeded()) {
            status = kExitFailure;
            if (options.json) {
                result["line"] = report.line > 0 ? Json(report.line) : Json(nullptr);
                result["message"] = report.message;
                results.push_back(std::move(result));
            } else {
                std::cerr << Diagnostic(path, report.line, "error", report.message) << std::endl;
            }
            continue;
        }

        const std::vector<CReuseBlock*> ordered = BlocksInOrder(blocks);
        const std::size_t layerMaps = CountLayerMaps(ordered);
        const std::vector<Warning> warnings =
            options.strict ? RoundTripWarnings(blocks, path) : std::vector<Warning>();
        if (!warnings.empty()) status = kExitFailure;
        if (options.json) {
            result["blocks"] = ordered.size();
            result["layer_maps"] = layerMaps;
            result["warnings"] = Json::array();
            for (const Warning& warning : warnings) {
                result["warnings"].push_back(
                    {{"line", warning.line > 0 ? Json(warning.line) : Json(nullptr)},
                     {"message", warning.message}});
            }
            results.push_back(std::move(result));
            continue;
        }
        for (const Warning& warning : warnings) {
            std::cerr << Diagnostic(path, warning.line, "warning", warning.message) << std::endl;
        }
        std::cout << DisplayName(path) << ": " << Counted(ordered.size(), "block", "blocks") << ", "
                  << Counted(layerMaps, "layer map", "layer maps");
        if (!warnings.empty()) std::cout << ", " << Counted(warnings.size(), "warning", "warnings");
        std::cout << std::endl;  // flushed, so that it stays in order with stderr in one log
    }
    if (options.json) PrintJson(results, std::cout);
    return status;
}

}  // namespace reuseblocks::tool
