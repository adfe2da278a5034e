// SPDX-License-Identifier: MIT
// `merge-file`: a three-way merge of one blocks file, block by block, as git's merge driver.
#include <reuseblocks/ascii.h>
#include <reuseblocks/edit.h>
#include <reuseblocks/fields.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>

#include "commands/commands.h"
#include "files/atomic_file.h"
#include "files/standard_streams.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

// Trouble (status 2) unless the whole file can be read.
std::string ReadOrTrouble(const std::string& path) {
    std::ifstream in(ReadablePath(path), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        throw ToolError(kExitUsage, ErrorLine("cannot read " + Quoted(path)));
    }
    if (!in.is_open()) throw ToolError(kExitUsage, ErrorLine("cannot open " + Quoted(path)));
    return text;
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

bool IsMarker(std::string_view line, char mark) {
    if (line.size() < 7 || line.find_first_not_of(mark) < 7) return false;
    return line.size() == 7 || line[7] == ' ' || line[7] == '\r' || line[7] == '\n';
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
    for (std::size_t at = 0; at < current.size();) {
        std::size_t end = current.find('\n', at);
        end = end == std::string_view::npos ? current.size() : end + 1;
        std::string_view line = ascii::TrimSpace(current.substr(at, end - at));
        at = end;
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '(') line.remove_prefix(1);
        std::size_t idEnd = 0;
        while (idEnd < line.size() && !ascii::IsSpace(line[idEnd])) ++idEnd;
        const std::string_view id = line.substr(0, idEnd);
        if (id.empty() || ascii::EqualsIgnoringCase(id, kMappingKeyword)) continue;
        base.append(id);
        for (std::uint32_t value = 1; value < kPropertyCount; ++value) {
            base += ' ';
            base.append(kNoValue);
        }
        base += '\n';
    }
    return base;
}

MarkedSides SplitMarkers(const std::string& text, const std::string& path) {
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
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string_view line(text.data() + at, end - at);
        at = end;
        ++lineNumber;
        if (IsMarker(line, '<')) {
            if (part != Part::kCommon) throw trouble(lineNumber, "a conflict opens inside one");
            part = Part::kCurrent;
            opened = lineNumber;
            hasBase = false;
            hunkCurrent.clear();
            sides.markers = true;
            if (sides.currentLabel.empty()) sides.currentLabel = MarkerLabel(line);
        } else if (IsMarker(line, '|') && part == Part::kCurrent) {
            part = Part::kBase;
            hasBase = true;
        } else if (IsMarker(line, '=') && (part == Part::kCurrent || part == Part::kBase)) {
            part = Part::kOther;
        } else if (IsMarker(line, '>') && part == Part::kOther) {
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

int Resolve(const MergeFileOptions& options) {
    const std::string& path = options.resolve;
    const std::string text = ReadOrTrouble(path);
    const MarkedSides sides = SplitMarkers(text, path);
    const std::string shownAs = options.name.empty() ? DisplayName(path) : options.name;
    if (!sides.markers) {
        if (options.print) {
            std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
            std::cout.flush();
        }
        PrintDiagnostic(NoteLine(shownAs + " has no conflict markers; nothing to resolve"));
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
    std::string conflicts;
    for (const MergeConflict& conflict : report.conflicts) {
        conflicts += Diagnostic(shownAs, conflict.line, "conflict",
                                "block " + Quoted(conflict.blockID) + " " + conflict.message) +
                     "\n";
    }
    if (options.print) {
        std::cout.write(merged.data(), static_cast<std::streamsize>(merged.size()));
        std::cout.flush();
    } else if (merged != text) {
        WriteWholeFile(path, merged);
    }
    if (!conflicts.empty()) PrintDiagnostic(conflicts);
    return report.result == ThreeWayResult::kClean ? kExitSuccess : kExitFailure;
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
    const std::string* names[] = {&options.current, &options.base, &options.other};
    std::string texts[3];
    for (int side = 0; side < 3; ++side) texts[side] = ReadOrTrouble(*names[side]);
    ThreeWayOptions merge;
    merge.currentLabel = options.labels.size() > 0 ? options.labels[0] : options.current;
    merge.otherLabel = options.labels.size() > 2 ? options.labels[2] : options.other;
    std::string merged;
    const ThreeWayReport report = MergeTexts(texts[0], texts[1], texts[2], merge, merged);
    if (report.result == ThreeWayResult::kTrouble) {
        // Nothing is merged: CURRENT stays as it is.
        throw ToolError(kExitUsage,
                        Diagnostic(DisplayName(*names[report.side < 0 ? 0 : report.side]),
                                   report.line, "error", report.message));
    }
    const std::string shownAs = options.name.empty() ? DisplayName(options.current) : options.name;
    std::string conflicts;
    for (const MergeConflict& conflict : report.conflicts) {
        conflicts += Diagnostic(shownAs, conflict.line, "conflict",
                                "block " + Quoted(conflict.blockID) + " " + conflict.message) +
                     "\n";
    }
    if (options.print) {
        std::cout.write(merged.data(), static_cast<std::streamsize>(merged.size()));
        std::cout.flush();
    } else if (merged != texts[0]) {
        WriteWholeFile(options.current, merged);
    }
    if (!conflicts.empty()) PrintDiagnostic(conflicts);
    return report.result == ThreeWayResult::kClean ? kExitSuccess : kExitFailure;
}

}  // namespace reuseblocks::tool
