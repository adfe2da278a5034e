// `merge` and `format`: whole files loaded and written again.
#include "blocks_io.h"
#include "commands.h"
#include "tool_error.h"

namespace reuseblocks::tool {

int RunMerge(const MergeOptions& options) {
    // One collection, so a block ID found in two inputs is rejected as it would be in one file.
    CReuseBlockFile blocks;
    for (const std::string& input : options.inputs) LoadOrFail(blocks, input);
    WriteOrFail(blocks, options.write.output, options.write.app, options.write.force);
    return kExitSuccess;
}

int RunFormat(const FormatOptions& options) {
    const FileLock lock = LockForEdit(options.file, options.write);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    WriteOrFail(blocks, options.write.DestinationFor(options.file), options.write.app,
                options.write.force);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
