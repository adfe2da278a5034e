// SPDX-License-Identifier: MIT
#include <utility>
#include "io/blocks_file_loader.h"

#include "reuseblocks/diagnostics.h"

namespace reuseblocks {

LoadReport LoadFileWithReport(CReuseBlockFile& blocks, const char* path) {
    return LoadFileWithReport(blocks, path, LoadOptions{});
}

LoadReport LoadFileWithReport(CReuseBlockFile& blocks, const char* path,
                              const LoadOptions& options) {
    LoadReport report;
    detail::BlocksFileLoader(blocks).Load(path, &report, options);
    return report;
}

LoadReport LoadTextWithReport(CReuseBlockFile& blocks, std::string_view text) {
    return LoadTextWithReport(blocks, text, LoadOptions{});
}

LoadReport LoadTextWithReport(CReuseBlockFile& blocks, std::string_view text,
                              const LoadOptions& options) {
    LoadReport report;
    detail::BlocksFileLoader(blocks).LoadText(text, &report, options);
    return report;
}

LoadReport LoadFileWithReport(CReuseBlockFile& blocks, const char* path, const LoadOptions& options,
                              SkippedText& skipped) {
    LoadReport report;
    detail::BlocksFileLoader loader(blocks);
    loader.TellSkipped(skipped);
    loader.Load(path, &report, options);
    return report;
}

LoadReport LoadTextWithReport(CReuseBlockFile& blocks, std::string_view text,
                              const LoadOptions& options, SkippedText& skipped) {
    LoadReport report;
    detail::BlocksFileLoader loader(blocks);
    loader.TellSkipped(skipped);
    loader.LoadText(text, &report, options);
    return report;
}

const char* LoadResultName(int result) noexcept {
    static constexpr std::pair<LoadResult, const char*> kNames[] = {
        {LoadResult::kSuccess, "Success"},
        {LoadResult::kCannotRead, "CannotRead"},
        {LoadResult::kDefinitionTooShort, "DefinitionTooShort"},
        {LoadResult::kDuplicateBlockID, "DuplicateBlockID"},
        {LoadResult::kForeignMapping, "ForeignMapping"},
        {LoadResult::kMappingTooShort, "MappingTooShort"},
    };
    for (const auto& [code, name] : kNames) {
        if (static_cast<int>(code) == result) return name;
    }
    return "Unknown";
}

}  // namespace reuseblocks
