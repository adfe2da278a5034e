// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_BLOCKS_IO_H
#define REUSEBLOCKS_TOOLS_BLOCKS_IO_H

#include <reuseblocks/reuseblocks.h>

#include <string>
#include <vector>

#include "commands.h"
#include "file_lock.h"

namespace reuseblocks::tool {

// "FILE:LINE: SEVERITY: MESSAGE", or "FILE: SEVERITY: MESSAGE" when there is no line, the form
// editors and CI logs pick up; the path and the message are escaped for display.
std::string Diagnostic(const std::string& path, unsigned long line, const char* severity,
                       const std::string& message);

// Adds the blocks of `path`; a rejected file ends the command (status 1) before anything is
// written.
void LoadOrFail(CReuseBlockFile& blocks, const std::string& path);

// Writes every block to `path` with `app` in the header; a failed write ends the command. Unless
// `force`, a collection holding values that would not read back the same is refused first (a
// block whose ID starts with "#" would come back as a comment and be lost), each value named.
void WriteOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& app,
                 bool force = false);

// The lock an edit holds from its load to its write when it writes back in place; none when it
// writes elsewhere.
FileLock LockForEdit(const std::string& file, const WriteOptions& write);

// The block held under `id`; an unknown ID ends the command as a usage error.
CReuseBlock& BlockOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& id);

// The blocks in walk order, the order of the file.
std::vector<CReuseBlock*> BlocksInOrder(const CReuseBlockFile& blocks);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_BLOCKS_IO_H
