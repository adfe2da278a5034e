// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_DIAGNOSTICS_H
#define REUSEBLOCKS_DIAGNOSTICS_H

// Loading and writing with a report of where and why a blocks file was rejected or could not be
// written, for tools and hosts that show errors to people. They run the same loader and writer as
// CReuseBlockFile::LoadFile and WriteFile.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// How a load may go about its work; whatever they say, its outcome is the same.
struct LoadOptions {
    // Threads that may parse the file, the calling thread included.
    //   0: the library decides. A regular file of a few megabytes or more is cut at line
    //      boundaries into pieces parsed side by side, on as many threads as the process may run
    //      on (at most 8); smaller files, pipes and devices are read on the calling thread.
    //   1: everything happens on the calling thread, and no thread is started.
    //   n: up to n threads (at most 64), for a regular file of any size.
    // Threads are started and ended within the call: none is left running when it returns or
    // throws. Loading on several threads takes some more memory while it runs, about a megabyte
    // a thread.
    unsigned threads = 0;
};

// As above, with `options`. CReuseBlockFile::LoadFile and the function above use the defaults.
REUSEBLOCKS_API LoadReport LoadFileWithReport(CReuseBlockFile& blocks, const char* path,
                                              const LoadOptions& options);

// Loads `text`, the whole content of a blocks file, into `blocks` exactly as LoadFileWithReport
// loads a file holding those bytes (a text never fails to be read), and tells what happened. For
// text that is not in a file: an editor's unsaved buffer, a network message, a test. `text` is
// only read during the call.
REUSEBLOCKS_API LoadReport LoadTextWithReport(CReuseBlockFile& blocks, std::string_view text);
REUSEBLOCKS_API LoadReport LoadTextWithReport(CReuseBlockFile& blocks, std::string_view text,
                                              const LoadOptions& options);

// Text a load passes over without rejecting the file: neither blank nor a comment, yet nothing
// in the collection comes of it, so that any program that loads the file and writes it again
// loses it. A host may warn of it, or refuse to edit such a file.
struct SkippedText {
    // 1-based physical line of the first such text, counted as LoadReport::line is: a mapping
    // line before the first block definition, or a record line with more fields than it takes
    // (the loader keeps the first 12 of a definition, the first 6 of a mapping line). 0 when
    // there is none before the end of the file, or before the line a rejected load stops at.
    unsigned long firstLine = 0;
};

// As the loads above with `options`, also telling in `skipped` where the load first passed over
// text. The outcome and the collection are the same; the load costs no more.
REUSEBLOCKS_API LoadReport LoadFileWithReport(CReuseBlockFile& blocks, const char* path,
                                              const LoadOptions& options, SkippedText& skipped);
REUSEBLOCKS_API LoadReport LoadTextWithReport(CReuseBlockFile& blocks, std::string_view text,
                                              const LoadOptions& options, SkippedText& skipped);

// The enumerator's name without its "k" ("DefinitionTooShort"), or "Unknown" for any other value.
REUSEBLOCKS_API const char* LoadResultName(int result) noexcept;

// The step of a write that failed. WriteFileWithReport goes through them in this order; a failed
// step leaves the target as WriteFile's contract says.
enum class WriteStep : int {
    kNone = 0,    // nothing failed
    kCheck = 1,   // a value would not read back (a line break, a repeated ID): nothing was opened
    kOpen = 2,    // the target or a new file beside it could not be opened or created
    kWrite = 3,   // writing text while the file was being written
    kFlush = 4,   // writing out the rest of the text at the end, or closing the file
    kSync = 5,    // making the written text durable on disk
    kRename = 6,  // putting the new file in the target's place
    // Sizing a target written in place (one that cannot be replaced): making room for the new
    // text before any of it goes over the old, which is left as it was when this fails, or
    // cutting off the old text after the new at the end.
    kInPlace = 7,
};

struct WriteReport {
    // What WriteFile returns for the same call: 1 when the whole file was written, else 0.
    int result = 1;
    // The step that failed; kNone on success.
    WriteStep step = WriteStep::kNone;
    // The system's error number (errno, also on Windows, where the system's codes are mapped to
    // it); 0 on success, for kCheck, and when the step failed without one.
    int systemError = 0;
    // Names the path and the step, e.g.
    //   cannot write "out.blocks": No space left on device (while flushing)
    //   cannot write "out.blocks": block "/B2" property 3 (BLOCK_STATUS) holds a line break
    // Control bytes of the path and of IDs are shown as \n, \xNN. Empty on success.
    std::string message;

    bool Succeeded() const noexcept { return result == 1; }
};

// Writes `blocks` to `path` exactly as blocks.WriteFile(path, application) does, and tells what
// happened. Throws only as WriteFile does (std::bad_alloc).
REUSEBLOCKS_API WriteReport WriteFileWithReport(const CReuseBlockFile& blocks, const char* path,
                                                const char* application);

// How WriteFileWithReport writes beyond what WriteFile does.
struct WriteFileOptions {
    // The date the header's "# Date:" line takes, in seconds since 1970-01-01 UTC, written as
    // UTC (for output that is the same on every run); when not set, the current local time.
    bool hasDate = false;
    std::int64_t date = 0;
};

// As above, with `options`.
REUSEBLOCKS_API WriteReport WriteFileWithReport(const CReuseBlockFile& blocks, const char* path,
                                                const char* application,
                                                const WriteFileOptions& options);

// The text WriteFileWithReport would write, in memory: `text` becomes the whole file on success,
// and is left as it was when the write is refused (step kCheck; the message names the value, as
// WriteFileWithReport's does). Nothing else can fail; running out of memory throws
// std::bad_alloc.
REUSEBLOCKS_API WriteReport WriteTextWithReport(const CReuseBlockFile& blocks,
                                                const char* application,
                                                const WriteFileOptions& options, std::string& text);

// The step in words as the message says it ("flushing"), or "unknown" for any other value;
// "none" for kNone.
REUSEBLOCKS_API const char* WriteStepName(WriteStep step) noexcept;

// Why a value would not come back the same from a written and re-read blocks file. A value's
// reasons are a bit set of these.
enum RoundTripReason : unsigned {
    kRoundTripEmpty = 1u << 0,  // vanishes, and the values after it shift left
    // A blank or tab outside quotes: reads as two values. White space of any kind (vertical tab
    // and form feed too) at the start of a block ID or the end of a line's last value: trimmed
    // off. A vertical tab or form feed anywhere else reads back unchanged.
    kRoundTripWhiteSpace = 1u << 1,
    kRoundTripLineBreak = 1u << 2,  // line feed or carriage return: WriteFile refuses to write it
    // A quote left open (" or ' opens a quoted stretch, either closes it) takes in the values
    // after it; the last value of a line has none. Closed quotes read back, blanks inside too.
    kRoundTripQuote = 1u << 3,
    kRoundTripKeyword = 1u << 4,      // "map_block_host" makes a definition line a mapping line
    kRoundTripLeadingHash = 1u << 5,  // a block ID starting with "#": a comment line
    kRoundTripLeadingParenthesis = 1u << 6,   // a block ID starting with "(": stripped
    kRoundTripTrailingParenthesis = 1u << 7,  // a line's last value ending in ")": stripped
    // A block ID that a block earlier in the walk is written under too, after a rename through
    // property 0: the loader rejects the line (-3). WriteFile refuses to write it.
    kRoundTripRepeatedID = 1u << 8,
};

// Where a value stands on its line, which decides what it may hold.
enum class ValuePlace {
    kBlockID,  // property 0, first on its definition line
    kMiddle,   // a property followed by another value on its line
    kLast,     // QOR_STATUS, last on its definition line
    // The columns of a layer-map row, on a mapping line, where the mapping keyword changes
    // nothing. (kMiddle and kLast, which hosts of 1.1 pass for them, report it.)
    kColumn,      // BLOCK_LAYER_ORDER, BLOCK_LAYER_NAME and DESIGN_ORDER
    kLastColumn,  // DESIGN_LAYER_NAME
};

// The RoundTripReason bits of `value` standing at `place`, between values that read back
// themselves; 0 exactly when it reads back unchanged.
REUSEBLOCKS_API unsigned RoundTripReasonsOf(std::string_view value, ValuePlace place) noexcept;

// The reasons in words, e.g. "is empty" or "holds white space and a quote"; empty for 0.
REUSEBLOCKS_API std::string DescribeRoundTripReasons(unsigned reasons);

// One value of a collection that would not read back the same.
struct RoundTripProblem {
    std::string blockID;   // property 0 of the block that holds the value
    int property = -1;     // 0 to 11 when the value is a property, otherwise -1
    long row = -1;         // the layer-map row when the value is a column of one, otherwise -1
    int column = -1;       // 0 to 3 when row is set, otherwise -1
    unsigned reasons = 0;  // RoundTripReason bits
    std::string message;   // DescribeRoundTripReasons(reasons)
};

// Every value of `blocks` that a WriteFile followed by a LoadFile would not give back, in walk
// order, properties before rows. Empty when the collection would come back exactly. A value with
// kRoundTripLineBreak or kRoundTripRepeatedID makes WriteFile refuse the whole collection.
REUSEBLOCKS_API std::vector<RoundTripProblem> FindRoundTripProblems(const CReuseBlockFile& blocks);

}  // namespace reuseblocks

#endif  // REUSEBLOCKS_DIAGNOSTICS_H
