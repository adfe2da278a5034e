#ifndef REUSEBLOCKS_DIAGNOSTICS_H
#define REUSEBLOCKS_DIAGNOSTICS_H

// Loading with a report of where and why a blocks file was rejected, for tools and hosts that
// show errors to people. It runs the same loader as CReuseBlockFile::LoadFile.

#include <string>

#include "reuseblocks/export.h"
#include "reuseblocks/reuseblocks.h"

namespace reuseblocks {

// The result codes of CReuseBlockFile::LoadFile, by name.
enum class LoadResult : int {
    kSuccess = 0,
    kCannotRead = -1,          // the file cannot be opened or read
    kDefinitionTooShort = -2,  // a definition line has fewer than twelve fields
    kDuplicateBlockID = -3,    // a definition line's ID is already held
    kForeignMapping = -4,      // a mapping line names another block than the one defined last
    kMappingTooShort = -5,     // a mapping line has fewer than six fields
};

struct LoadReport {
    // What LoadFile returns: 0 or one of the negative codes above.
    int result = 0;
    // 1-based physical line of the rejected line; 0 on success and when the file could not be
    // opened or read.
    unsigned long line = 0;
    // A short English explanation, e.g. "definition line has 7 fields, 12 expected"; empty on
    // success.
    std::string message;

    LoadResult Code() const noexcept { return static_cast<LoadResult>(result); }
    bool Succeeded() const noexcept { return result == 0; }
};

// Loads `path` into `blocks` exactly as blocks.LoadFile(path) does, and tells what happened.
REUSEBLOCKS_API LoadReport LoadFileWithReport(CReuseBlockFile& blocks, const char* path);

// The enumerator's name without its "k" ("DefinitionTooShort"), or "Unknown" for any other value.
REUSEBLOCKS_API const char* LoadResultName(int result) noexcept;

}  // namespace reuseblocks

#endif  // REUSEBLOCKS_DIAGNOSTICS_H
