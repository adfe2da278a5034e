// SPDX-License-Identifier: MIT
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

const char* LoadResultName(int result) noexcept {
    switch (static_cast<LoadResult>(result)) {
        case LoadResult::kSuccess:
            return "Success";
        case LoadResult::kCannotRead:
            return "CannotRead";
        case LoadResult::kDefinitionTooShort:
            return "DefinitionTooShort";
        case LoadResult::kDuplicateBlockID:
            return "DuplicateBlockID";
        case LoadResult::kForeignMapping:
            return "ForeignMapping";
        case LoadResult::kMappingTooShort:
            return "MappingTooShort";
    }
    return "Unknown";
}

}  // namespace reuseblocks
