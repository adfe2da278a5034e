// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_BLOCKS_FILE_WRITER_H
#define REUSEBLOCKS_IO_BLOCKS_FILE_WRITER_H

#include "platform/file_system.h"
#include "reuseblocks/reuseblocks.h"

namespace reuseblocks::detail {

// The one writer of blocks files, behind CReuseBlockFile::WriteFile and WriteFileWithReport.
struct BlocksFileWriter {
    // Writes `blocks` to `path`; step kNone when the whole file was written, else the step that
    // failed and the system's error.
    static platform::OutputFailure Write(const CReuseBlockFile& blocks, const char* path,
                                         const char* application);
};

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_BLOCKS_FILE_WRITER_H
