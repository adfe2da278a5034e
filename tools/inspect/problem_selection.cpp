// SPDX-License-Identifier: MIT
#include "problem_selection.h"

#include <limits>

#include "cli/near_miss.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

std::set<std::string, std::less<>> ParseCodes(const char* option,
                                              const std::vector<std::string>& lists) {
    std::set<std::string, std::less<>> codes;
    for (const std::string& list : lists) {
        for (std::size_t start = 0;;) {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            const std::string code = list.substr(start, comma - start);
            bool known = false;
            for (const std::string_view name : ProblemCodes()) known = known || name == code;
            if (!known) {
                throw UsageError(std::string(option) + ": unknown problem code " + Quoted(code) +
                                 DidYouMean(NearestName(code, ProblemCodes())));
            }
            codes.insert(code);
            if (comma == list.size()) break;
            start = comma + 1;
        }
    }
    return codes;
}

}  // namespace

bool ProblemSelection::Selects(std::string_view code) const {
    if (only && only->find(code) == only->end()) return false;
    return skip.find(code) == skip.end();
}

std::size_t ProblemSelection::Shown() const {
    return limit == 0 ? std::numeric_limits<std::size_t>::max() - 1 : limit;
}

const std::vector<std::string_view>& ProblemCodes() {
    static const std::vector<std::string_view> codes = {"CannotRead",
                                                        "DefinitionTooShort",
                                                        "DuplicateBlockID",
                                                        "ForeignMapping",
                                                        "MappingTooShort",
                                                        "MergeConflict",
                                                        "LoadingStopped",
                                                        "FormatLine",
                                                        "Convention",
                                                        "Side",
                                                        "Units",
                                                        "PlacedNumber",
                                                        "InternalLocation",
                                                        "Stacked",
                                                        "MappingKeyword",
                                                        "TooManyFields",
                                                        "MappingBeforeDefinition",
                                                        "RepeatedLayerMap",
                                                        "RoundTrip"};
    return codes;
}

ProblemSelection ParseProblemSelection(const std::vector<std::string>& only,
                                       const std::vector<std::string>& skip, std::size_t limit) {
    ProblemSelection selection;
    if (!only.empty()) selection.only = ParseCodes("--only", only);
    selection.skip = ParseCodes("--skip", skip);
    selection.limit = limit;
    return selection;
}

bool ProblemTally::Keep(std::string_view severity, std::string_view code) {
    const bool error = severity == "error";
    if (!error && !m_selection.Selects(code)) {
        // Still counted, so that the summary tells what the selection hides.
        auto unselected = m_unselected.find(code);
        if (unselected == m_unselected.end())
            unselected = m_unselected.emplace(std::string(code), 0).first;
        ++unselected->second;
        return false;
    }
    if (error) return true;
    auto kept = m_kept.find(code);
    if (kept == m_kept.end()) kept = m_kept.emplace(std::string(code), 0).first;
    if (kept->second <= m_selection.Shown()) {
        ++kept->second;
        return true;
    }
    auto unkept = m_unkept.find(code);
    if (unkept == m_unkept.end()) unkept = m_unkept.emplace(std::string(code), 0).first;
    ++unkept->second;
    if (severity == "warning") ++m_unkeptWarnings;
    return false;
}

}  // namespace reuseblocks::tool
