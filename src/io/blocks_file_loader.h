// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_BLOCKS_FILE_LOADER_H
#define REUSEBLOCKS_IO_BLOCKS_FILE_LOADER_H

#include <cstdint>
#include <string>
#include <string_view>

#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"

namespace reuseblocks::detail {

namespace platform {
class FileReader;
}

// The one reader of blocks files, behind both CReuseBlockFile::LoadFile and LoadFileWithReport.
// It stops at the first rejected line and keeps what came before it. A large regular file is
// parsed in pieces on several threads and joined in file order, to the same outcome, line
// numbers and messages included, as reading it line by line on one.
class BlocksFileLoader {
  public:
    explicit BlocksFileLoader(CReuseBlockFile& blocks) : m_blocks(blocks) {}

    // Returns the LoadFile result code; when `report` is given, also fills in the line and the
    // message.
    int Load(const char* path, LoadReport* report, const LoadOptions& options = LoadOptions{});
    // As Load, of a file holding `text`.
    int LoadText(std::string_view text, LoadReport* report,
                 const LoadOptions& options = LoadOptions{});
    // The loads that follow also tell where they first pass over text.
    void TellSkipped(SkippedText& skipped) noexcept {
        m_skipped = &skipped;
        skipped = SkippedText{};
    }

  private:
    class Parser;
    struct Piece;
    class ParallelLoad;
    class Source;

    int LoadFrom(const Source& source, std::uint64_t size, bool sized, const LoadOptions& options);
    int LoadOnThisThread(const Source& source);
    int LoadInPieces(const Source& source, std::uint64_t size, unsigned threads);
    int Reject(LoadResult result, std::string message);
    int RejectAt(unsigned long line, LoadResult result, std::string message);
    // Line `line` holds text the load passes over; only the first one counts.
    void NoteSkipped(unsigned long line) noexcept;

    CReuseBlockFile& m_blocks;
    LoadReport* m_report = nullptr;
    SkippedText* m_skipped = nullptr;
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_BLOCKS_FILE_LOADER_H
