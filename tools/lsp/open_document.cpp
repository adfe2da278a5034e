// SPDX-License-Identifier: MIT
#include "lsp/open_document.h"

#include <limits>

namespace reuseblocks::tool::lsp {

namespace {

nlohmann::json PositionJson(const Position& position) {
    return {{"line", position.line}, {"character", position.character}};
}

// A number the editor sent, saturated to what a position can be.
std::int64_t Coordinate(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        return number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                   ? std::numeric_limits<std::int64_t>::max()
                   : static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) return value.get<std::int64_t>();
    throw BadParams("a position is two whole numbers");
}

}  // namespace

nlohmann::json RangeJson(const TextDocument& text, std::size_t begin, std::size_t end) {
    return {{"start", PositionJson(text.PositionOf(begin))},
            {"end", PositionJson(text.PositionOf(end))}};
}

nlohmann::json RangeJson(const TextDocument& text, std::string_view slice) {
    const std::size_t begin = text.OffsetOfView(slice);
    return RangeJson(text, begin, begin + slice.size());
}

nlohmann::json LocationJson(const OpenDocument& document, std::string_view slice) {
    return {{"uri", document.uri}, {"range", RangeJson(*document.text, slice)}};
}

std::optional<std::size_t> PositionParam(const TextDocument& text, const nlohmann::json& params) {
    const nlohmann::json& position = params.at("position");
    return text.OffsetOf(Coordinate(position.at("line")), Coordinate(position.at("character")));
}

std::size_t ClampedOffset(const TextDocument& text, const nlohmann::json& position) {
    const std::int64_t line = Coordinate(position.at("line"));
    const std::int64_t character = Coordinate(position.at("character"));
    if (line < 0) return 0;
    return text.OffsetOf(line, character).value_or(text.Text().size());
}

nlohmann::json DiagnosticJson(const OpenDocument& document, const PlacedProblem& placed) {
    const Problem& problem = placed.problem;
    const int severity = problem.severity == "error" ? 1 : problem.severity == "warning" ? 2 : 3;
    nlohmann::json diagnostic = {{"range", RangeJson(*document.text, placed.begin, placed.end)},
                                 {"severity", severity},
                                 {"code", problem.code},
                                 {"source", "reuseblocks"},
                                 {"message", problem.message}};
    if (placed.fix) diagnostic["data"] = {{"fix", *placed.fix}};
    return diagnostic;
}

}  // namespace reuseblocks::tool::lsp
