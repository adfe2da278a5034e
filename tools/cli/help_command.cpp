// SPDX-License-Identifier: MIT
#include "help_command.h"

#include <cstring>

namespace reuseblocks::tool {

void AddHelpCommand(CLI::App& app) {
    app.add_subcommand("help", "The help of a command: reuseblocks help COMMAND");
}

std::vector<char*> WithHelpAsOption(int argc, char** argv) {
    std::vector<char*> words(argv, argv + argc);
    if (argc > 1 && std::strcmp(argv[1], "help") == 0) {
        static char help[] = "--help";
        words.erase(words.begin() + 1);
        words.push_back(help);
    }
    return words;
}

}  // namespace reuseblocks::tool
