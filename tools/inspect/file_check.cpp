// SPDX-License-Identifier: MIT
#include "file_check.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <optional>
#include <string_view>
#include <system_error>

#include "edit/loading.h"
#include "files/standard_streams.h"
#include "files/whole_file.h"
#include "format/line_syntax.h"
#include "inspect/line_lint.h"
#include "records/round_trip_text.h"

namespace reuseblocks::tool {

namespace {

std::vector<Problem> LoadProblems(const LoadReport& report) {
    if (report.Succeeded()) return {};
    return {{report.line, "error", LoadResultName(report.result), std::nullopt, std::nullopt,
             report.message}};
}

// Added after every other problem, so that it comes last among those of its line.
void NoteLoadingStopped(std::vector<Problem>& problems, const LoadReport& report, bool strict) {
    if (report.Succeeded() || report.line == 0) return;
    problems.push_back({report.line, "note", "LoadingStopped", std::nullopt, std::nullopt,
                        strict ? "loading stops at a rejected line; the lines after it are "
                                 "checked, but not loaded"
                               : "loading stops at a rejected line; the lines after it are not "
                                 "checked"});
}

BlockValues ValuesOf(CReuseBlock& block) {
    BlockValues values;
    for (std::uint32_t index = 0; index < values.size(); ++index) {
        values[index] = block.GetProperty(index).GetView();
    }
    return values;
}

BlockValues ValuesOf(const UnloadedBlock& block) {
    BlockValues values;
    for (std::size_t index = 0; index < values.size(); ++index) values[index] = block.values[index];
    return values;
}

bool IsWarning(const Problem& problem) {
    return problem.severity == "warning";
}

void Append(std::vector<Problem>& to, std::vector<Problem>&& problems) {
    to.insert(to.end(), std::make_move_iterator(problems.begin()),
              std::make_move_iterator(problems.end()));
}

// Keeps the first `shown` warnings in file order and every error and note, the rejected line
// above all: a file of warnings must not hide why it does not load. Returns how many warnings it
// left out.
std::size_t LeaveOutWarnings(std::vector<Problem>& problems, std::size_t shown) {
    std::size_t kept = 0;
    const auto end = std::remove_if(problems.begin(), problems.end(), [&](const Problem& problem) {
        return IsWarning(problem) && ++kept > shown;
    });
    const auto leftOut = static_cast<std::size_t>(problems.end() - end);
    problems.erase(end, problems.end());
    return leftOut;
}

std::vector<Problem> RoundTripProblems(const std::vector<RoundTripProblem>& found,
                                       const std::vector<CReuseBlock*>& ordered,
                                       const RecordLinesList& lines, ProblemTally& tally) {
    // Problems come in walk order, so the block they name is found by walking along with them.
    std::vector<Problem> problems;
    std::size_t index = 0;
    for (const RoundTripProblem& problem : found) {
        while (ordered[index]->GetBlockID().GetView() != problem.blockID) ++index;
        const unsigned long line = problem.row >= 0
                                       ? lines.RowOf(index, static_cast<std::size_t>(problem.row))
                                       : lines.DefinitionOf(index);
        if (!tally.Keep("warning", "RoundTrip")) continue;
        problems.push_back({line, "warning", "RoundTrip", problem.blockID, RoundTripField(problem),
                            RoundTripMessage(problem)});
    }
    return problems;
}

std::size_t CountLayerMaps(const std::vector<CReuseBlock*>& blocks) {
    std::size_t count = 0;
    for (const CReuseBlock* block : blocks) count += block->GetLayerMapCount();
    return count;
}

void WriteOptional(JsonWriter& json, const std::optional<std::string>& value) {
    if (value) {
        json.String(*value);
    } else {
        json.Null();
    }
}

// Only the text the loader skips, of what `selection` selects: what is said without --strict.
ProblemSelection IgnoredTextOnly(const ProblemSelection& selection) {
    ProblemSelection narrowed = selection;
    narrowed.only.emplace();
    for (const char* code : {"MappingBeforeDefinition", "TooManyFields"}) {
        if (selection.Selects(code)) narrowed.only->insert(code);
    }
    return narrowed;
}

}  // namespace

namespace {

// The file's whole text, when it is a regular file that can be read; a pipe gives its bytes only
// once, to the loader.
std::optional<WholeFileText> TextOfRegularFile(const std::string& path) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return std::nullopt;
    return ReadWholeFile(path);
}

// The lint of a text's lines, with the tally that counts every problem of the check: it goes
// first, so that it can run beside the load. It is made on the guess that the load rejects no
// line, and made again when the load tells otherwise.
class LinesLint {
  public:
    LinesLint(const ProblemSelection& selection, bool strict)
        : m_selection(strict ? selection : IgnoredTextOnly(selection)),
          m_tally(m_selection),
          m_strict(strict) {}
    LinesLint(const LinesLint&) = delete;
    LinesLint& operator=(const LinesLint&) = delete;

    void Run(std::string_view text, unsigned long rejected) {
        // Without --strict only the text the loader skips is said, and no block's lines.
        m_lint = LintText(text, rejected, &m_tally, m_strict);
        m_rejected = rejected;
    }
    bool RanFor(unsigned long rejected) const { return m_rejected == rejected; }
    ProblemTally& Tally() { return m_tally; }
    LineLint Take() { return std::move(m_lint); }

  private:
    const ProblemSelection m_selection;
    ProblemTally m_tally;
    const bool m_strict;
    LineLint m_lint;
    std::optional<unsigned long> m_rejected;
};

// Below this many blocks the round-trip check is quicker than starting a thread for it.
constexpr std::size_t kRoundTripBesideValues = 4096;

// Below this the lint is quicker than starting a thread for it.
constexpr std::size_t kLintBesideLoad = std::size_t{1} << 20;

// Loads `text` into `blocks`, linting its lines on a second thread meanwhile when it is large.
LoadReport LoadAndLint(CReuseBlockFile& blocks, std::string_view text, LinesLint& lint) {
    std::future<void> linting;
    if (text.size() >= kLintBesideLoad) {
        try {
            linting = std::async(std::launch::async, [&lint, text] { lint.Run(text, 0); });
        } catch (const std::system_error&) {
            // No thread to be had: the lint runs after the load.
        }
    }
    LoadReport report = LoadTextWithReport(blocks, text);
    if (linting.valid()) linting.get();
    return report;
}

// Everything but the load: `text` is what was loaded, when it can be had; `early` may hold its
// lint already.
void CheckLoaded(FileCheck& check, const CReuseBlockFile& blocks,
                 const std::optional<std::string_view>& text, bool strict,
                 const ProblemSelection& selection, LinesLint& early) {
    const std::vector<CReuseBlock*> ordered = BlocksInOrder(blocks);
    std::vector<Problem>& problems = check.problems;
    problems = LoadProblems(check.report);
    const unsigned long rejected = check.report.Succeeded() ? 0 : check.report.line;
    std::optional<LinesLint> again;
    LinesLint& lines = early.RanFor(rejected) ? early : again.emplace(selection, strict);
    ProblemTally& tally = lines.Tally();
    const bool readable = check.report.Code() != LoadResult::kCannotRead;
    if (readable && text) {
        // Git's conflict markers, each at its line, instead of the field count of the first.
        for (const unsigned long line : ConflictMarkersIn(*text)) {
            if (!problems.empty() && problems.front().line == line &&
                problems.front().code != "MergeConflict") {
                problems.erase(problems.begin());
            }
            problems.push_back(
                {line, "error", "MergeConflict", std::nullopt, std::nullopt, kConflictMessage});
        }
    }
    if (readable && text && !lines.RanFor(rejected)) lines.Run(*text, rejected);
    if (strict && readable) {
        LineLint lint;
        if (text) {
            if (std::optional<Problem> problem = CheckFormatLineOf(*text)) {
                if (tally.Keep(problem->severity, problem->code)) {
                    problems.push_back(std::move(*problem));
                }
            }
            lint = lines.Take();
            if (lint.lines.size() < ordered.size()) lint.lines.clear();
        }
        // Found beside the values' own checks, which take one thread; counted after them, in
        // the same order as ever.
        std::future<std::vector<RoundTripProblem>> roundTrip;
        if (ordered.size() >= kRoundTripBesideValues) {
            try {
                roundTrip =
                    std::async(std::launch::async, FindRoundTripProblems, std::cref(blocks));
            } catch (const std::system_error&) {
                // No thread to be had: found after them.
            }
        }
        BlockLint values(tally);
        for (std::size_t index = 0; index < ordered.size(); ++index) {
            values.Check(ValuesOf(*ordered[index]), lint.lines.DefinitionOf(index));
        }
        for (const UnloadedBlock& block : lint.unloaded) values.Check(ValuesOf(block), block.line);
        Append(problems, std::move(lint.problems));
        Append(problems, values.Finish());
        Append(problems, CheckLayerMaps(ordered, lint.lines, tally));
        Append(problems, RoundTripProblems(
                             roundTrip.valid() ? roundTrip.get() : FindRoundTripProblems(blocks),
                             ordered, lint.lines, tally));
    } else if (readable && text) {
        // Text the loader skipped loads as nothing, and an edit refuses the file: said without
        // --strict too.
        LineLint lint = lines.Take();
        lint.problems.erase(std::remove_if(lint.problems.begin(), lint.problems.end(),
                                           [](const Problem& p) { return !IsIgnoredText(p); }),
                            lint.problems.end());
        Append(problems, std::move(lint.problems));
    }
    if (selection.Selects("LoadingStopped")) NoteLoadingStopped(problems, check.report, strict);
    // In file order; what has no line goes last.
    std::stable_sort(problems.begin(), problems.end(), [](const Problem& a, const Problem& b) {
        return (a.line - 1) < (b.line - 1);
    });
    for (const Problem& problem : problems) ++check.counts[problem.code];
    for (const auto& [code, count] : tally.Unkept()) check.counts[code] += count;
    check.unselected = tally.Unselected();
    check.warnings =
        static_cast<std::size_t>(std::count_if(problems.begin(), problems.end(), IsWarning)) +
        tally.UnkeptWarnings();
    const std::size_t leftOut =
        LeaveOutWarnings(problems, selection.Shown()) + tally.UnkeptWarnings();
    if (leftOut > 0) {
        // Not a code of its own in the counts: it counts nothing the file holds.
        problems.push_back({0, "note", "ProblemLimit", std::nullopt, std::nullopt,
                            "stopped showing warnings after " + std::to_string(selection.limit) +
                                "; " + std::to_string(leftOut) +
                                (leftOut == 1 ? " more warning is" : " more warnings are") +
                                " left out (errors are all shown; the counts by code count "
                                "them all)"});
    }
    check.blocks = ordered.size();
    check.layerMaps = CountLayerMaps(ordered);
}

}  // namespace

namespace {

// Whether a block's ID starts as one of git's conflict markers: a marker line with enough fields
// loads as a block under it.
bool AnyIDLikeAConflictMarker(const CReuseBlockFile& blocks) {
    for (const CReuseBlock* block : BlocksInOrder(blocks)) {
        // A marker's seven characters alone make a marker line.
        if (format::IsConflictMarker(block->GetBlockID().GetView().substr(0, 7))) return true;
    }
    return false;
}

// Without --strict, a file that loads whole has nothing to say of its lines unless the loader
// passed over some of them or one may be a conflict marker: it is loaded as the library loads
// files, without a copy of its text. Null when its lines must be read after all.
std::optional<FileCheck> CheckLoadedWhole(const std::string& local,
                                          const ProblemSelection& selection) {
    CReuseBlockFile blocks;
    SkippedText skipped;
    FileCheck check;
    check.report = LoadFileWithReport(blocks, local.c_str(), LoadOptions{}, skipped);
    if (!check.report.Succeeded() || skipped.firstLine != 0 || AnyIDLikeAConflictMarker(blocks)) {
        return std::nullopt;
    }
    LinesLint none(selection, false);
    CheckLoaded(check, blocks, std::nullopt, false, selection, none);
    return check;
}

}  // namespace

FileCheck CheckFile(const std::string& path, bool strict, const ProblemSelection& selection) {
    const std::string local = ReadablePath(path);  // standard input, read into a file
    std::error_code ignored;
    if (!strict && std::filesystem::is_regular_file(local, ignored)) {
        if (std::optional<FileCheck> check = CheckLoadedWhole(local, selection)) return *check;
    }
    FileCheck check;
    CReuseBlockFile blocks;
    // Read once, and loaded from that text: its lines and its blocks always agree. What cannot
    // be read so (a device, a FIFO) goes to the loader, which says why when it fails.
    const std::optional<WholeFileText> text = TextOfRegularFile(local);
    LinesLint lint(selection, strict);
    check.report =
        text ? LoadAndLint(blocks, *text, lint) : LoadFileWithReport(blocks, local.c_str());
    CheckLoaded(check, blocks, text ? std::optional<std::string_view>(text->View()) : std::nullopt,
                strict, selection, lint);
    return check;
}

FileCheck CheckText(std::string_view text, bool strict, const ProblemSelection& selection) {
    FileCheck check;
    CReuseBlockFile blocks;
    LinesLint lint(selection, strict);
    check.report = LoadAndLint(blocks, text, lint);
    CheckLoaded(check, blocks, text, strict, selection, lint);
    return check;
}

void WriteFileCheckJson(JsonWriter& json, const std::string& path, const FileCheck& check) {
    json.BeginObject().Key("file").String(path).Key("ok").Bool(check.Ok());
    json.Key("result").Number(check.report.result);
    json.Key("result_name").String(LoadResultName(check.report.result));
    json.Key("blocks").Number(check.blocks).Key("layer_maps").Number(check.layerMaps);
    json.Key("problems").BeginArray();
    for (const Problem& problem : check.problems) {
        json.BeginObject().Key("line");
        if (problem.line > 0) {
            json.Number(problem.line);
        } else {
            json.Null();
        }
        json.Key("severity").String(problem.severity).Key("code").String(problem.code);
        json.Key("block");
        WriteOptional(json, problem.block);
        json.Key("field");
        WriteOptional(json, problem.field);
        json.Key("message").String(problem.message).EndObject();
    }
    json.EndArray();
    json.Key("counts").BeginObject();
    for (const auto& [code, count] : check.counts) json.Key(code).Number(count);
    json.EndObject();
    json.Key("not_selected").BeginObject();
    for (const auto& [code, count] : check.unselected) json.Key(code).Number(count);
    json.EndObject().EndObject();
}

}  // namespace reuseblocks::tool
