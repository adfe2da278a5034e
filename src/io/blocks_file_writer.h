// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_BLOCKS_FILE_WRITER_H
#define REUSEBLOCKS_IO_BLOCKS_FILE_WRITER_H

#include <string>
#include "platform/file_system.h"

#include "io/output_file.h"
#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"

namespace reuseblocks::detail {

// The one writer of blocks files, behind CReuseBlockFile::WriteFile and WriteFileWithReport.
struct BlocksFileWriter {
    // Writes `blocks` to `path`; step kNone when the whole file was written, else the step that
    // failed and the system's error.
    static platform::OutputFailure Write(const CReuseBlockFile& blocks, const char* path,
                                         const char* application);
    // As above, the header dated as `options` says.
    static platform::OutputFailure Write(const CReuseBlockFile& blocks, const char* path,
                                         const char* application, const WriteFileOptions& options);
    // What Write would put in the file, appended to `text`; step kNone, or kCheck when a value
    // would not read back (and `text` is left as it was).
    static platform::OutputFailure WriteText(const CReuseBlockFile& blocks, const char* application,
                                             const WriteFileOptions& options, std::string& text);

  private:
    // Opens `out` (false with its failure when it cannot be) and writes the whole file to it.
    template <typename Open>
    static platform::OutputFailure WriteTo(const CReuseBlockFile& blocks, const char* application,
                                           const WriteFileOptions& options, Open&& open);
};

// The fixed header of a file written whole: the format line, the application ("Unknown" when
// null or empty), `date` and the explanation of the format.
void WriteBlocksHeader(OutputFile& out, const char* appName, const std::string& date);

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_BLOCKS_FILE_WRITER_H
