#include "round_trip.h"

#include <vector>

namespace reuseblocks::tool {

namespace {

bool HoldsWhiteSpace(std::string_view value) {
    return value.find_first_of(" \t\n\v\f\r") != std::string_view::npos;
}

// "a", "a and b", "a, b and c".
std::string JoinAnd(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

}  // namespace

std::string RoundTripProblems(std::string_view value, ValuePlace place) {
    std::vector<std::string> held;
    if (HoldsWhiteSpace(value)) held.emplace_back("white space");
    if (value.find_first_of("\"'") != std::string_view::npos) held.emplace_back("a quote");
    if (value.find("map_block_host") != std::string_view::npos) {
        held.emplace_back("\"map_block_host\"");
    }

    std::vector<std::string> problems;
    if (value.empty()) problems.emplace_back("is empty");
    if (!held.empty()) problems.push_back("holds " + JoinAnd(held));
    if (place == ValuePlace::kFirst && !value.empty()) {
        if (value.front() == '#') problems.emplace_back("starts with \"#\"");
        if (value.front() == '(') problems.emplace_back("starts with \"(\"");
    }
    if (place == ValuePlace::kLast && !value.empty() && value.back() == ')') {
        problems.emplace_back("ends in \")\"");
    }
    return JoinAnd(problems);
}

}  // namespace reuseblocks::tool
