// SPDX-License-Identifier: MIT
// Each golden/NAME.expected starts with the command line ("$ reuseblocks check --strict F") and
// holds what the tool printed, stdout before stderr, then its exit status; each is a test of its
// own. The commands run in the golden folder, so file names in the output are short and stable.
// REUSEBLOCKS_UPDATE_GOLDEN=1 rewrites the expected files from the current output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

namespace fs = std::filesystem;

const std::string kPrompt = "$ reuseblocks";
const fs::path kFolder = REUSEBLOCKS_GOLDEN_DIR;

std::vector<std::string> Cases() {
    std::vector<std::string> cases;
    for (const fs::directory_entry& entry : fs::directory_iterator(kFolder)) {
        if (entry.path().extension() == ".expected") cases.push_back(entry.path().stem().string());
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

class ToolGolden : public testing::TestWithParam<std::string> {};

TEST_P(ToolGolden, PrintsExactlyTheExpectedOutput) {
    const fs::path path = kFolder / (GetParam() + ".expected");
    const std::string expected = ReadText(path);
    const std::string command = expected.substr(0, expected.find('\n'));
    ASSERT_EQ(command.rfind(kPrompt, 0), 0u);

    const ToolRun run = RunTool(Words(command.substr(kPrompt.size())), kFolder);
    const std::string actual =
        command + "\n" + run.out + run.err + "exit " + std::to_string(run.status) + "\n";
    if (std::getenv("REUSEBLOCKS_UPDATE_GOLDEN") != nullptr) return WriteText(path, actual);
    EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(Case, ToolGolden, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<std::string>& name) {
                             return name.param;
                         });

}  // namespace
}  // namespace reuseblocks::test
