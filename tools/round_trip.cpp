#include "round_trip.h"

#include <vector>

namespace reuseblocks::tool {

namespace {

bool HoldsWhiteSpace(std::string_view value) {
    return value.find_first_of(" \t\n\v\f\r") != std::string_view::npos;
}

}  // namespace

std::string RoundTripProblems(std::string_view value, ValuePlace place) {
    std::vector<const char*> problems;
    if (value.empty()) problems.push_back("is empty");
    if (HoldsWhiteSpace(value)) problems.push_back("holds white space");
    if (value.find_first_of("\"'") != std::string_view::npos) problems.push_back("holds a quote");
    if (value.find("map_block_host") != std::string_view::npos) {
        problems.push_back("contains \"map_block_host\"");
    }
    if (place == ValuePlace::kFirst && !value.empty()) {
        if (value.front() == '#') problems.push_back("starts with \"#\"");
        if (value.front() == '(') problems.push_back("starts with \"(\"");
    }
    if (place == ValuePlace::kLast && !value.empty() && value.back() == ')') {
        problems.push_back("ends in \")\"");
    }

    std::string text;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (i > 0) text += i + 1 == problems.size() ? " and " : ", ";
        text += problems[i];
    }
    return text;
}

}  // namespace reuseblocks::tool
