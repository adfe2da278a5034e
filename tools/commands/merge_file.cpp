// SPDX-License-Identifier: MIT
// `merge-file`: a three-way merge of one blocks file, block by block, as git's merge driver.
#include <reuseblocks/edit.h>
#include <reuseblocks/fields.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <future>
#include <iostream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <vector>

#include "commands/commands.h"
#include "files/atomic_file.h"
#include "files/standard_streams.h"
#include "files/whole_file.h"
#include "format/line_syntax.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

// The path to read `path`'s bytes from (standard input and devices are copied first); trouble
// (status 2) unless it opens.
std::string OpenableOrTrouble(const std::string& path) {
    std::string readable = ReadablePath(path);
    if (!std::ifstream(readable, std::ios::binary).is_open()) {
        throw ToolError(kExitUsage, ErrorLine("cannot open " + Quoted(path)));
    }
    return readable;
}

// Trouble (status 2) unless the whole file can be read.
WholeFileText ReadOrTrouble(const std::string& path, const std::string& readable) {
    std::optional<WholeFileText> text = ReadWholeFile(readable);
    if (!text) throw ToolError(kExitUsage, ErrorLine("cannot read " + Quoted(path)));
    return std::move(*text);
}

WholeFileText ReadOrTrouble(const std::string& path) {
    return ReadOrTrouble(path, OpenableOrTrouble(path));
}

// The three sides, read side by side: reading them is a third of a large merge's time. Each is
// opened first, in order, so that the first that cannot be is the one named.
std::array<WholeFileText, 3> ReadSides(const std::array<const std::string*, 3>& names) {
    std::array<std::string, 3> readable;
    for (std::size_t side = 0; side < 3; ++side) readable[side] = OpenableOrTrouble(*names[side]);
    std::array<std::future<WholeFileText>, 3> reads;
    for (std::size_t side = 1; side < 3; ++side) {
        try {
            reads[side] = std::async(std::launch::async, [&names, &readable, side] {
                return ReadOrTrouble(*names[side], readable[side]);
            });
        } catch (const std::system_error&) {
            // No thread to be had: read here, after the current side.
        }
    }
    const auto take = [&](std::size_t side) {
        return reads[side].valid() ? reads[side].get()
                                   : ReadOrTrouble(*names[side], readable[side]);
    };
    WholeFileText current = ReadOrTrouble(*names[0], readable[0]);
    WholeFileText base = take(1);
    return {std::move(current), std::move(base), take(2)};
}

// The three sides of a file git's own line merge left with conflict markers: the text outside the
// conflicts is common to all three; inside one, "<<<<<<<" to "|||||||" (or "=======") is the
// current side, "|||||||" to "=======" the base (only with merge.conflictStyle diff3), and
// "=======" to ">>>>>>>" the other side. Without a base, the sides alone say what to keep.
struct MarkedSides {
    std::string texts[3];
    std::string currentLabel;
    std::string otherLabel;
    bool markers = false;
};

// A conflict marker of `mark`'s kind; `line` without its line feed.
bool IsMarker(std::string_view line, char mark) {
    return format::IsConflictMarker(line) && line.front() == mark;
}

std::string MarkerLabel(std::string_view line) {
    line.remove_prefix(std::min<std::size_t>(line.size(), 8));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return std::string(line);
}

// A stand-in for the base of a conflict git wrote without one: each block the current side
// defines there, with a value neither side holds, so that a value the sides agree on is kept and
// one they disagree on is a conflict; rows, comments and blank lines count as added on each side.
std::string StandInBase(std::string_view current) {
    static constexpr std::string_view kNoValue = "reuseblocks-no-base-value";
    std::string base;
    std::vector<std::string_view> fields;
    format::LineScanner lines(current);
    for (format::ScannedLine line; lines.Next(line);) {
        if (format::ClassifyLine(line.text) != format::LineKind::kDefinition) continue;
        format::SplitFields(format::StripRecordEnds(format::TrimLine(line.text)), fields, 1);
        if (fields.empty()) continue;
        base.append(fields[0]);
        for (std::uint32_t value = 1; value < kPropertyCount; ++value) {
            base += ' ';
            base.append(kNoValue);
        }
        base += '\n';
    }
    return base;
}

MarkedSides SplitMarkers(std::string_view text, const std::string& path) {
    enum class Part { kCommon, kCurrent, kBase, kOther };
    MarkedSides sides;
    Part part = Part::kCommon;
    unsigned long lineNumber = 0;
    unsigned long opened = 0;
    bool hasBase = false;
    std::string hunkCurrent;
    const auto trouble = [&](unsigned long line, const std::string& message) {
        return ToolError(kExitUsage, Diagnostic(DisplayName(path), line, "error", message));
    };
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line(text.data() + at, end - at);
        const std::string_view bare = line.substr(0, line.find('\n'));
        at = end;
        ++lineNumber;
        if (IsMarker(bare, '<')) {
            if (part != Part::kCommon) throw trouble(lineNumber, "a conflict opens inside one");
            part = Part::kCurrent;
            opened = lineNumber;
            hasBase = false;
            hunkCurrent.clear();
            sides.markers = true;
            if (sides.currentLabel.empty()) sides.currentLabel = MarkerLabel(line);
        } else if (IsMarker(bare, '|') && part == Part::kCurrent) {
            part = Part::kBase;
            hasBase = true;
        } else if (IsMarker(bare, '=') && (part == Part::kCurrent || part == Part::kBase)) {
            part = Part::kOther;
        } else if (IsMarker(bare, '>') && part == Part::kOther) {
            part = Part::kCommon;
            if (sides.otherLabel.empty()) sides.otherLabel = MarkerLabel(line);
            if (!hasBase) sides.texts[1] += StandInBase(hunkCurrent);
        } else if (part == Part::kCommon) {
            for (std::string& side : sides.texts) side.append(line);
        } else {
            sides.texts[part == Part::kCurrent ? 0 : part == Part::kBase ? 1 : 2].append(line);
            if (part == Part::kCurrent) hunkCurrent.append(line);
        }
    }
    if (part != Part::kCommon) throw trouble(opened, "a conflict is not closed by \">>>>>>>\"");
    return sides;
}

// Prints or writes the merged text (CURRENT is written only when it changes), names each
// conflict, and gives the exit status: 0 clean, 1 with conflicts.
int Finish(const ThreeWayReport& report, bool print, const std::string& shownAs,
           const std::string& path, std::string_view original, const std::string& merged) {
    std::string conflicts;
    for (const MergeConflict& conflict : report.conflicts) {
        conflicts += Diagnostic(shownAs, conflict.line, "conflict",
                                "block " + Quoted(conflict.blockID) + " " + conflict.message) +
                     "\n";
    }
    if (print) {
        std::cout.write(merged.data(), static_cast<std::streamsize>(merged.size()));
        std::cout.flush();
    } else if (merged != original) {
        WriteWholeFile(path, merged);
    }
    if (!conflicts.empty()) PrintDiagnostic(conflicts);
    return report.result == ThreeWayResult::kClean ? kExitSuccess : kExitFailure;
}

// The lock of the file the merge writes over, taken before it is read. A lock not had leaves the
// file as it was, which is this command's trouble.
detail::platform::FileLock LockWritten(const std::string& path, const MergeFileOptions& options) {
    if (options.print || IsStandardStream(path)) return detail::platform::FileLock();
    try {
        return LockToWriteOver(path, options.noWait);
    } catch (const ToolError& error) {
        throw ToolError(kExitUsage, error.what());
    }
}

int Resolve(const MergeFileOptions& options) {
    const std::string& path = options.resolve;
    const detail::platform::FileLock lock = LockWritten(path, options);
    const WholeFileText read = ReadOrTrouble(path);
    const std::string_view text = read;
    const MarkedSides sides = SplitMarkers(text, path);
    const std::string shownAs = options.name.empty() ? DisplayName(path) : options.name;
    if (!sides.markers) {
        if (options.print) {
            std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
            std::cout.flush();
        }
        PrintDiagnostic(
            NoteLine(EscapeForDisplay(shownAs) + " has no conflict markers; nothing to resolve"));
        return kExitSuccess;
    }
    ThreeWayOptions merge;
    if (!sides.currentLabel.empty()) merge.currentLabel = sides.currentLabel;
    if (!sides.otherLabel.empty()) merge.otherLabel = sides.otherLabel;
    std::string merged;
    const ThreeWayReport report =
        MergeTexts(sides.texts[0], sides.texts[1], sides.texts[2], merge, merged);
    if (report.result == ThreeWayResult::kTrouble) {
        static constexpr const char* kSides[] = {"current", "base", "other"};
        throw ToolError(kExitUsage,
                        Diagnostic(shownAs, 0, "error",
                                   "the " + std::string(kSides[report.side < 0 ? 0 : report.side]) +
                                       " side of its conflicts does not load: " + report.message));
    }
    return Finish(report, options.print, shownAs, path, text, merged);
}

}  // namespace

int RunMergeFile(const MergeFileOptions& options) {
    if (options.labels.size() > 3) throw UsageError("-L is given at most three times");
    const bool sidesGiven =
        !options.current.empty() || !options.base.empty() || !options.other.empty();
    if (!options.resolve.empty()) {
        if (sidesGiven) throw UsageError("--resolve takes one file, not CURRENT BASE OTHER");
        return Resolve(options);
    }
    if (options.current.empty() || options.base.empty() || options.other.empty()) {
        throw UsageError("merge-file needs CURRENT BASE OTHER, or --resolve FILE");
    }
    const detail::platform::FileLock lock = LockWritten(options.current, options);
    const std::array<const std::string*, 3> names = {&options.current, &options.base,
                                                     &options.other};
    const std::array<WholeFileText, 3> texts = ReadSides(names);
    ThreeWayOptions merge;
    merge.currentLabel = options.labels.size() > 0 ? options.labels[0] : options.current;
    merge.otherLabel = options.labels.size() > 2 ? options.labels[2] : options.other;
    std::string merged;
    const ThreeWayReport report = MergeTexts(texts[0], texts[1], texts[2], merge, merged);
    if (report.result == ThreeWayResult::kTrouble) {
        // Nothing is merged: CURRENT stays as it is.
        throw ToolError(
            kExitUsage,
            Diagnostic(
                DisplayName(*names[static_cast<std::size_t>(report.side < 0 ? 0 : report.side)]),
                report.line, "error", report.message));
    }
    const std::string shownAs = options.name.empty() ? DisplayName(options.current) : options.name;
    return Finish(report, options.print, shownAs, options.current, texts[0], merged);
}

}  // namespace reuseblocks::tool
