// SPDX-License-Identifier: MIT
#include "unknown_command.h"

#include "cli/near_miss.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

namespace {

std::vector<const CLI::App*> CommandsOf(const CLI::App& app) {
    return app.get_subcommands([](const CLI::App*) { return true; });
}

}  // namespace

std::string FindUnknownCommand(const CLI::App& app, int argc, char** argv) {
    const CLI::App* current = &app;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") break;
        const std::vector<const CLI::App*> commands = CommandsOf(*current);
        if (!word.empty() && word[0] == '-') {
            if (word == "-h" || word == "--help" || word == "--version") return {};
            // Before its command an option can only be one of the tool's own.
            if (!commands.empty() && !current->get_option_no_throw(word)) {
                std::vector<std::string_view> options = {"--help", "--version"};
                const std::string nearest = NearestName(word, options);
                return "unknown option " + Quoted(word) +
                       (nearest.empty() ? "; a command comes first (see --help)"
                                        : DidYouMean(nearest));
            }
            continue;
        }
        if (commands.empty()) return {};
        std::vector<std::string_view> names;
        const CLI::App* next = nullptr;
        for (const CLI::App* command : commands) {
            names.push_back(command->get_name());
            if (command->get_name() == word) next = command;
        }
        if (next) {
            current = next;
            path += word + " ";
            continue;
        }
        std::string message = "unknown command " + Quoted(path + word);
        const std::string nearest = NearestName(word, names);
        if (!nearest.empty()) return message + DidYouMean(path + nearest);
        return message + "; commands are " + Alternatives(names, " and ");
    }
    const std::vector<const CLI::App*> commands = CommandsOf(*current);
    if (commands.empty()) return {};
    std::vector<std::string_view> names;
    for (const CLI::App* command : commands) names.push_back(command->get_name());
    return "no command given; " +
           (path.empty() ? std::string("commands are ") : "the commands of " + path + "are ") +
           Alternatives(names, " and ") + " (see --help)";
}

}  // namespace reuseblocks::tool
