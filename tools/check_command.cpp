// `check`: load files and report what the loader rejected, and with --strict what a write would
// not give back.
#include <reuseblocks/diagnostics.h>

#include <iostream>

#include "blocks_io.h"
#include "commands.h"
#include "field_names.h"
#include "json_output.h"
#include "record_lines.h"
#include "round_trip.h"
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
    std::vector<RecordLines> lines = FindRecordLines(path);
    if (lines.size() != ordered.size()) lines.assign(ordered.size(), {});  // changed meanwhile

    std::vector<Warning> warnings;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const CReuseBlock& block = *ordered[i];
        const std::string id(block.GetBlockID().GetView());
        for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
            const ValuePlace place = index == kBlockHierName ? ValuePlace::kFirst
                                     : index == kQorStatus   ? ValuePlace::kLast
                                                             : ValuePlace::kMiddle;
            const std::string problems =
                RoundTripProblems(block.GetProperty(index).GetView(), place);
            if (problems.empty()) continue;
            const std::string subject = index == kBlockHierName ? "block ID " + Quoted(id)
                                                                : std::string(PropertyName(index)) +
                                                                      " of block " + Quoted(id);
            warnings.push_back({lines[i].definition, WarningText(subject, problems)});
        }
        for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
            const unsigned long line =
                row < lines[i].layerMaps.size() ? lines[i].layerMaps[row] : 0;
            for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
                const ValuePlace place = column + 1 == CReuseBlock::kLayerMapColumnCount
                                             ? ValuePlace::kLast
                                             : ValuePlace::kMiddle;
                const std::string problems =
                    RoundTripProblems(block.GetLayerMap(row, column).GetView(), place);
                if (problems.empty()) continue;
                const std::string subject = std::string(LayerMapColumnName(column)) +
                                            " of layer map " + std::to_string(row) + " of block " +
                                            Quoted(id);
                warnings.push_back({line, WarningText(subject, problems)});
            }
        }
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
        const LoadReport report = LoadFileWithReport(blocks, path.c_str());
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
        std::cout << path << ": " << Counted(ordered.size(), "block", "blocks") << ", "
                  << Counted(layerMaps, "layer map", "layer maps");
        if (!warnings.empty()) std::cout << ", " << Counted(warnings.size(), "warning", "warnings");
        std::cout << std::endl;  // flushed, so that it stays in order with stderr in one log
    }
    if (options.json) PrintJson(results, std::cout);
    return status;
}

}  // namespace reuseblocks::tool
