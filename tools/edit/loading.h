// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_EDIT_LOADING_H
#define REUSEBLOCKS_TOOLS_EDIT_LOADING_H

#include <reuseblocks/diagnostics.h>
#include <reuseblocks/reuseblocks.h>

#include <string>
#include <string_view>
#include <vector>

namespace reuseblocks::tool {

// Adds the blocks of `path` ("-": standard input); a rejected file ends the command (status 1)
// before anything is written.
void LoadOrFail(CReuseBlockFile& blocks, const std::string& path);

// The same, naming the file `shownAs` in messages (git's name for a file, not its scratch copy).
void LoadOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& shownAs);

// The same, telling in `skipped` where the load first passed over text.
void LoadOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& shownAs,
                SkippedText& skipped);

// The same of a file's text already read, `shownAs` by name.
void LoadTextOrFail(CReuseBlockFile& blocks, std::string_view text, const std::string& shownAs);

// Ends the command (status 1) when the loader skipped text of `path` that is neither blank nor
// a comment: a mapping line before the first block, fields beyond a record's count. An edit
// would keep that text meaning nothing, or drop it with the line it rewrites; --force edits
// anyway. Lines that end in a carriage return alone, which end no line for the loader, are named
// as such.
void RefuseIgnoredText(const std::string& path, const std::string& shownAs);
// The same of a file's text already read.
void RefuseIgnoredTextIn(std::string_view text, const std::string& shownAs);

// LoadTextOrFail, then, when `refuseIgnoredText`, RefuseIgnoredTextIn, with the latter's walk
// beside the load for a large text.
void LoadTextForEditOrFail(CReuseBlockFile& blocks, std::string_view text,
                           const std::string& shownAs, bool refuseIgnoredText);

// LoadOrFail of a regular file, then, when `refuseIgnoredText`, RefuseIgnoredText, which reads
// the file again only when the load passed over some of its text.
void LoadFileForEditOrFail(CReuseBlockFile& blocks, const std::string& path,
                           const std::string& shownAs, bool refuseIgnoredText);

// The block held under `id`; an unknown ID ends the command as a usage error.
CReuseBlock& BlockOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& id);

// How many comment lines of `path` a write would not give back: all but the lines of the header
// the library writes itself. 0 for what is not a regular file, which cannot be read again.
std::size_t CountOwnComments(const std::string& path);

// The 1-based lines of `path` that are conflict markers git left, up to line `last` (0: all).
std::vector<unsigned long> ConflictMarkerLines(const std::string& path, unsigned long last = 0);
// The same of a file's whole text.
std::vector<unsigned long> ConflictMarkersIn(std::string_view text, unsigned long last = 0);

// What an unresolved merge conflict is called wherever a file is reported.
extern const char* const kConflictMessage;

// The blocks in walk order, the order of the file.
std::vector<CReuseBlock*> BlocksInOrder(const CReuseBlockFile& blocks);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_EDIT_LOADING_H
