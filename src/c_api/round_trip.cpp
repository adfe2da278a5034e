// SPDX-License-Identifier: MIT
// The round-trip check through the C interface.
#include <string>
#include <vector>

#include "c_api/boundary.h"
#include "c_api/report.h"
#include "reuseblocks/diagnostics.h"

using reuseblocks::c_api::FromHandle;
using reuseblocks::c_api::Guarded;
using reuseblocks::c_api::HandOutReport;

namespace {

// "U1 property 4: is empty", "U1 row 2 column 3: holds white space".
std::string Describe(const reuseblocks::RoundTripProblem& problem) {
    std::string text = problem.blockID;
    if (problem.property >= 0) {
        text += " property " + std::to_string(problem.property);
    } else {
        text += " row " + std::to_string(problem.row) + " column " + std::to_string(problem.column);
    }
    return text + ": " + problem.message;
}

}  // namespace

extern "C" {

rb_status rb_collection_check_round_trip(const rb_collection* collection, size_t* problems,
                                         rb_report** report) {
    if (report) *report = nullptr;
    if (!collection || !problems) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        const std::vector<reuseblocks::RoundTripProblem> found =
            reuseblocks::FindRoundTripProblems(*FromHandle(collection));
        // Described before anything is handed out: running out of memory then changes nothing.
        const std::string first = found.empty() ? std::string() : Describe(found.front());
        *problems = found.size();
        HandOutReport(report, found.empty() ? 0 : static_cast<int>(found.front().reasons), 0, 0, 0,
                      first);
        return RB_OK;
    });
}

}  // extern "C"
