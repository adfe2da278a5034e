// SPDX-License-Identifier: MIT
#include "loading.h"

#include <reuseblocks/diagnostics.h>
#include <reuseblocks/fields.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <system_error>

#include "cli/near_miss.h"
#include "files/standard_streams.h"
#include "files/whole_file.h"
#include "format/line_syntax.h"
#include "format/written_header.h"
#include "inspect/line_lint.h"
#include "records/fields.h"
#include "terminal/progress_line.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

void LoadOrFail(CReuseBlockFile& blocks, const std::string& path) {
    LoadOrFail(blocks, path, DisplayName(path));
}

const char* const kConflictMessage = "unresolved merge conflict: a conflict marker git left";

namespace {

// A file git could not merge fails at its first marker: say so, not how many fields the marker
// line has.
[[noreturn]] void FailToLoad(const LoadReport& report, const std::vector<unsigned long>& markers,
                             const std::string& shownAs) {
    const bool conflict = !markers.empty() && markers.back() == report.line;
    throw ToolError(kExitFailure, Diagnostic(shownAs, report.line, "error",
                                             conflict ? kConflictMessage : report.message));
}

}  // namespace

void LoadOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& shownAs) {
    SkippedText skipped;
    LoadOrFail(blocks, path, shownAs, skipped);
}

void LoadOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& shownAs,
                SkippedText& skipped) {
    ProgressLine::Step("loading " + Quoted(shownAs));
    const LoadReport report =
        LoadFileWithReport(blocks, ReadablePath(path).c_str(), LoadOptions{}, skipped);
    if (!report.Succeeded()) {
        FailToLoad(
            report,
            report.line > 0 ? ConflictMarkerLines(path, report.line) : std::vector<unsigned long>(),
            shownAs);
    }
}

void LoadTextOrFail(CReuseBlockFile& blocks, std::string_view text, const std::string& shownAs) {
    ProgressLine::Step("loading " + Quoted(shownAs));
    const LoadReport report = LoadTextWithReport(blocks, text);
    if (!report.Succeeded()) {
        FailToLoad(
            report,
            report.line > 0 ? ConflictMarkersIn(text, report.line) : std::vector<unsigned long>(),
            shownAs);
    }
}

std::vector<unsigned long> ConflictMarkerLines(const std::string& path, unsigned long last) {
    const std::string readable = ReadablePath(path);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(readable, ignored)) return {};
    const std::optional<WholeFileText> text = ReadWholeFile(readable);
    return text ? ConflictMarkersIn(*text, last) : std::vector<unsigned long>();
}

std::vector<unsigned long> ConflictMarkersIn(std::string_view text, unsigned long last) {
    std::vector<unsigned long> lines;
    format::LineScanner scanner(text);
    for (format::ScannedLine line; scanner.Next(line);) {
        if (line.number > last && last != 0) break;
        if (format::IsConflictMarker(line.text)) lines.push_back(line.number);
    }
    return lines;
}

void RefuseIgnoredText(const std::string& path, const std::string& shownAs) {
    const std::optional<WholeFileText> text = ReadWholeFile(ReadablePath(path));
    if (text) RefuseIgnoredTextIn(*text, shownAs);
}

namespace {

void RefuseIgnored(const std::optional<Problem>& problem, const std::string& shownAs) {
    if (!problem) return;
    throw ToolError(kExitFailure,
                    Diagnostic(shownAs, problem->line, "error", problem->message) + "\n" +
                        ErrorLine("not editing " + EscapeForDisplay(shownAs) +
                                  ": the loader ignores text in it, which an edit would "
                                  "not keep meaning anything (--force edits anyway)"));
}

// Below this the walk is quicker than starting a thread for it.
constexpr std::size_t kWalkBesideLoad = std::size_t{1} << 20;

}  // namespace

void RefuseIgnoredTextIn(std::string_view text, const std::string& shownAs) {
    RefuseIgnored(FirstIgnoredText(text), shownAs);
}

void LoadTextForEditOrFail(CReuseBlockFile& blocks, std::string_view text,
                           const std::string& shownAs, bool refuseIgnoredText) {
    std::future<std::optional<Problem>> ignored;
    if (refuseIgnoredText && text.size() >= kWalkBesideLoad) {
        try {
            ignored = std::async(std::launch::async, [text] { return FirstIgnoredText(text); });
        } catch (const std::system_error&) {
            // No thread to be had: the walk follows the load.
        }
    }
    // A file that does not load is said to be so first, whatever else it holds.
    LoadTextOrFail(blocks, text, shownAs);
    if (!refuseIgnoredText) return;
    RefuseIgnored(ignored.valid() ? ignored.get() : FirstIgnoredText(text), shownAs);
}

void LoadFileForEditOrFail(CReuseBlockFile& blocks, const std::string& path,
                           const std::string& shownAs, bool refuseIgnoredText) {
    SkippedText skipped;
    LoadOrFail(blocks, path, shownAs, skipped);
    // The loader tells whether it passed over text; the walk says where and why in the words a
    // check uses, and only a file that has some is read again for it.
    if (refuseIgnoredText && skipped.firstLine != 0) RefuseIgnoredText(path, shownAs);
}

CReuseBlock& BlockOrFail(CReuseBlockFile& blocks, const std::string& path, const std::string& id) {
    CReuseBlock* block = nullptr;
    if (blocks.GetBlock(id.c_str(), block) == 0) {
        std::vector<std::string> ids;
        for (const CReuseBlock* other : BlocksInOrder(blocks)) {
            ids.push_back(Text(other->GetProperty(0)));
        }
        const std::string nearest = NearestName(id, {ids.begin(), ids.end()});
        throw UsageError(EscapeForDisplay(DisplayName(path)) + " has no block " + Quoted(id) +
                         (nearest.empty() ? "" : "; did you mean " + Quoted(nearest) + "?"));
    }
    return *block;
}

std::size_t CountOwnComments(const std::string& path) {
    const std::string readable = ReadablePath(path);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(readable, ignored)) return 0;
    std::ifstream in(readable, std::ios::binary);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);) {
        if (format::ClassifyLine(line) != format::LineKind::kComment) continue;
        if (!format::IsWrittenHeaderComment(line)) ++count;
    }
    return count;
}

std::vector<CReuseBlock*> BlocksInOrder(const CReuseBlockFile& blocks) {
    std::vector<CReuseBlock*> ordered;
    // Sized once: a large collection's list would otherwise be moved again at every growth.
    ordered.reserve(static_cast<std::size_t>(blocks.GetCount()));
    for (POSITION position = blocks.GetStartPosition(); position;) {
        ordered.push_back(blocks.GetNext(position));
    }
    return ordered;
}

}  // namespace reuseblocks::tool
