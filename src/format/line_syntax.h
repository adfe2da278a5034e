// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_FORMAT_LINE_SYNTAX_H
#define REUSEBLOCKS_FORMAT_LINE_SYNTAX_H

// What a line of a blocks file is and how it splits into fields. Everything that reads the
// format's lines (the loader, the round-trip check, the writer's checks, the tool's line lint,
// the lossless editor) asks here, so that none of them can disagree about a line.

#include <reuseblocks/ascii.h>
#include <reuseblocks/fields.h>

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace reuseblocks::format {

enum class LineKind {
    kEmpty,       // nothing, or white space only: skipped
    kComment,     // "#" first after white space: skipped
    kDefinition,  // any other line without the mapping keyword: a block
    kMapping,     // the mapping keyword anywhere: a layer-map row of the block defined last
};

inline constexpr std::size_t kDefinitionFieldCount = kPropertyCount;
inline constexpr std::size_t kMappingFieldCount = 2 + kLayerMapColumnCount;

// `line` (without its line feed) trimmed of white space at both ends.
std::string_view TrimLine(std::string_view line) noexcept;

// What `line` is, from its own bytes alone. `line` may or may not be trimmed.
LineKind ClassifyLine(std::string_view line) noexcept;

// What StripRecordEnds takes off a record's start, and off its end.
constexpr bool IsRecordOpening(char c) noexcept {
    return c == '(' || c == ' ' || c == '\t';
}
constexpr bool IsRecordClosing(char c) noexcept {
    return c == ')' || c == ' ' || c == '\t' || c == '\n';
}

// Either quote opens a quoted stretch of a field and either closes it.
constexpr bool IsQuote(char c) noexcept {
    return c == '"' || c == '\'';
}

// A line feed ends a line wherever it stands, and a carriage return would become part of a line
// end: the writer refuses a value holding either.
constexpr bool IsLineBreak(char c) noexcept {
    return c == '\n' || c == '\r';
}
// Whether `text` holds an IsLineBreak byte: a look at each byte of a short text, two library
// searches for one byte each through a long one.
bool HoldsLineBreak(std::string_view text) noexcept;

// A trimmed record line without the parentheses that may wrap it: "(", blank and tab stripped
// from its start, ")", blank, tab and line feed from its end.
std::string_view StripRecordEnds(std::string_view trimmed) noexcept;

// Splits a record (StripRecordEnds) into `fields` (cleared first), at most `most` of them: runs
// of field separators (ascii::IsFieldSeparator) outside quotes separate fields; a quote opens a
// quoted stretch and either quote closes it, and stays in the field. No field is empty; each is a
// slice of `record`.
void SplitFields(std::string_view record, std::vector<std::string_view>& fields,
                 std::size_t most = std::numeric_limits<std::size_t>::max());

// How many fields SplitFields finds in `record`, with only the first `kept` of them in `fields`:
// for a reader that needs a line's field count and the fields that name its block.
std::size_t CountFields(std::string_view record, std::vector<std::string_view>& fields,
                        std::size_t kept);

// A line of a record read through the scanner below.
struct ScannedLine {
    unsigned long number = 0;  // 1-based
    std::size_t offset = 0;    // of its first byte in the scanned text
    std::string_view text;     // without its line feed
    std::string_view whole;    // with its line feed, if it has one
};

// Hands out the lines of a text in memory one by one, with where each stands, so that an editor
// can copy the bytes of the lines it does not change. A line ends after a line feed; the last one
// needs none.
// How many line feeds `text` holds, sixteen characters at a time where the processor allows: the
// room a scan of a large text's lines needs, known before the scan.
std::size_t CountLineFeeds(std::string_view text) noexcept;

class LineScanner {
  public:
    explicit LineScanner(std::string_view text) noexcept : m_text(text) {}
    bool Next(ScannedLine& line) noexcept;

  private:
    std::string_view m_text;
    std::size_t m_offset = 0;
    unsigned long m_number = 0;
};

// True when `line` starts with one of the markers git leaves around a conflict it could not
// merge: seven "<", "=", ">" or "|" alone or before white space. The loader rejects such a line
// like any other; this only says what it is.
constexpr bool IsConflictMarker(std::string_view line) noexcept {
    constexpr std::size_t kMarkerSize = 7;
    if (line.size() < kMarkerSize) return false;
    const char mark = line[0];
    if (mark != '<' && mark != '=' && mark != '>' && mark != '|') return false;
    for (std::size_t i = 1; i < kMarkerSize; ++i) {
        if (line[i] != mark) return false;
    }
    return line.size() == kMarkerSize || line[kMarkerSize] == ' ' || line[kMarkerSize] == '\t' ||
           line[kMarkerSize] == '\r';
}

// The loader's words for a rejected line, also used by whoever reports the same problem.
std::string FieldCountMessage(LineKind kind,
                              std::size_t found);     // "definition line has 2 fields, 12 expected"
std::string DuplicateIDMessage(std::string_view id);  // block ID "/A" is already defined
std::string ForeignMappingMessage(std::string_view named, std::string_view current);
// `text` between double quotes, cut after 60 bytes ("...").
std::string QuotedExcerpt(std::string_view text);

}  // namespace reuseblocks::format

#endif  // REUSEBLOCKS_FORMAT_LINE_SYNTAX_H
