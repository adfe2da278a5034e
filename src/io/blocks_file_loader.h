// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_BLOCKS_FILE_LOADER_H
#define REUSEBLOCKS_IO_BLOCKS_FILE_LOADER_H

#include <string_view>
#include <vector>

#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"

namespace reuseblocks::detail {

// The one reader of blocks files, behind both CReuseBlockFile::LoadFile and LoadFileWithReport.
// One pass, no look-ahead; it stops at the first rejected line and keeps what came before it.
class BlocksFileLoader {
  public:
    explicit BlocksFileLoader(CReuseBlockFile& blocks) : m_blocks(blocks) {}

    // Returns the LoadFile result code; when `report` is given, also fills in the line and the
    // message.
    int Load(const char* path, LoadReport* report);

  private:
    int HandleDefinition(std::string_view line);
    int HandleMapping(std::string_view line);
    int Reject(LoadResult result, std::string message);

    CReuseBlockFile& m_blocks;
    // The block of the latest definition line of this load; never one held before it.
    CReuseBlock* m_current = nullptr;
    std::vector<std::string_view> m_fields;
    LoadReport* m_report = nullptr;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_BLOCKS_FILE_LOADER_H
