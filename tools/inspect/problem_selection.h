// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_PROBLEM_SELECTION_H
#define REUSEBLOCKS_TOOLS_INSPECT_PROBLEM_SELECTION_H

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "terminal/tool_error.h"

namespace reuseblocks::tool {

// Which problems `check` reports: by code (--only, --skip) and how many warnings it shows
// (--max-problems). Errors are reported whatever the selection: they say why a file is rejected.
struct ProblemSelection {
    std::optional<std::set<std::string, std::less<>>> only;  // nothing: every code
    std::set<std::string, std::less<>> skip;
    std::size_t limit = kMostProblems;  // warnings shown, in file order; 0: all of them

    bool Selects(std::string_view code) const;
    // The limit as a count: 0 reads as no limit.
    std::size_t Shown() const;
};

// Every code `check` reports, in the order the manual lists them.
const std::vector<std::string_view>& ProblemCodes();

// --only and --skip as given, each a comma-separated list (repeatable). An unknown code is a
// usage error with a did-you-mean.
ProblemSelection ParseProblemSelection(const std::vector<std::string>& only,
                                       const std::vector<std::string>& skip, std::size_t limit);

// Decides, as the rules find problems, whether each one is kept, so that a file of millions of
// faults does not fill the memory with messages, and counts those it does not keep so that the
// summary still counts every problem. Each code keeps its errors and the first Shown() + 1 of
// its other problems, one more than can be shown, to tell that there were more.
class ProblemTally {
  public:
    explicit ProblemTally(const ProblemSelection& selection) : m_selection(selection) {}

    // True when a problem of `code` is to be made and kept.
    bool Keep(std::string_view severity, std::string_view code);

    // Problems of codes --only or --skip leave out, by code: counted, never kept.
    const std::map<std::string, std::size_t, std::less<>>& Unselected() const {
        return m_unselected;
    }
    // Problems found but not kept, by code; warnings among them.
    const std::map<std::string, std::size_t, std::less<>>& Unkept() const { return m_unkept; }
    std::size_t UnkeptWarnings() const { return m_unkeptWarnings; }

  private:
    const ProblemSelection& m_selection;
    std::map<std::string, std::size_t, std::less<>> m_kept;
    std::map<std::string, std::size_t, std::less<>> m_unkept;
    std::map<std::string, std::size_t, std::less<>> m_unselected;
    std::size_t m_unkeptWarnings = 0;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_PROBLEM_SELECTION_H
