// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_CLI_GIT_DRIVER_WORDS_H
#define REUSEBLOCKS_TOOLS_CLI_GIT_DRIVER_WORDS_H

#include <vector>

namespace reuseblocks::tool {

// `words` with "--" put before the arguments git appends to `diff --git` (PATH OLD-FILE OLD-HEX
// OLD-MODE NEW-FILE NEW-HEX NEW-MODE [NEW-PATH MESSAGE]), told by their hashes and modes, so
// that a file named "-x.blocks" is a file and not an option; unchanged otherwise.
void MarkGitDriverArguments(std::vector<char*>& words);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_CLI_GIT_DRIVER_WORDS_H
