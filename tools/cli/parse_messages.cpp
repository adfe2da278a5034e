// SPDX-License-Identifier: MIT
#include "parse_messages.h"

#include <algorithm>

#include "cli/near_miss.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

namespace {

using Options = std::vector<const CLI::Option*>;

// The command the words named, "map remove" for one below another.
const CLI::App& Selected(const CLI::App& app, std::string& path) {
    const std::vector<CLI::App*> parsed = app.get_subcommands();
    if (parsed.empty()) return app;
    path += (path.empty() ? "" : " ") + parsed.front()->get_name();
    return Selected(*parsed.front(), path);
}

bool TakesValue(const CLI::Option& option) {
    return option.get_expected_max() > 0;
}

// "LIST" for --fields.
std::string ValueName(const CLI::Option& option) {
    const std::string type = option.get_type_name();
    return type.substr(0, type.find(':'));
}

// "--fields LIST", "FILE": how help names what is missing.
std::string Shown(const CLI::Option& option) {
    if (option.get_lnames().empty() && option.get_snames().empty()) return option.get_name();
    return option.get_name() + (TakesValue(option) ? " " + ValueName(option) : "");
}

// The choices a value must be one of ("{table,csv}" in the type name), empty for any value.
std::vector<std::string> Choices(const CLI::Option& option) {
    const std::string type = option.get_type_name();
    const std::size_t open = type.find(":{");
    std::vector<std::string> choices;
    if (open == std::string::npos) return choices;
    std::string list = type.substr(open + 2, type.find('}', open) - open - 2);
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        choices.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return choices;
}

std::vector<std::string_view> Views(const std::vector<std::string>& texts) {
    return {texts.begin(), texts.end()};
}

std::string NearOrList(const std::string& typed, const std::vector<std::string>& names,
                       const char* listed) {
    const std::string nearest = NearestName(typed, Views(names));
    if (!nearest.empty()) return DidYouMean(nearest);
    return "; " + std::string(listed) + " " + Alternatives(Views(names));
}

std::vector<std::string> OptionNames(const CLI::App& command) {
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
        for (const std::string& name : option->get_snames()) names.push_back("-" + name);
    }
    return names;
}

// The first word that names no option of `command`, or gives a value to a flag.
std::string BadOptionWord(const CLI::App& command, const std::string& path, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") break;
        if (word.size() < 2 || word[0] != '-') continue;
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const CLI::Option* option = command.get_option_no_throw(name);
        if (!option) {
            return "unknown option " + Quoted(name) + " for " + path +
                   NearOrList(name, OptionNames(command), "its options are");
        }
        if (!TakesValue(*option) && equals != std::string::npos) {
            return name + " takes no value (" + Quoted(word) + ")";
        }
        if (TakesValue(*option) && equals == std::string::npos) {
            if (i + 1 == argc) return name + " needs a value, " + ValueName(*option);
            ++i;
        }
    }
    return {};
}

std::string Missing(const CLI::App& command, const std::string& path) {
    for (const CLI::Option* option : command.get_options()) {
        const auto count = static_cast<int>(option->count());
        if (option->get_required() && count == 0) return path + " needs " + Shown(*option);
        const int least = option->get_items_expected_min();
        if (count > 0 && count < least) {
            return path + " needs at least " + std::to_string(least) + " " + Shown(*option) +
                   " arguments, not " + std::to_string(count);
        }
    }
    return {};
}

std::string BadValue(const CLI::App& command) {
    for (const CLI::Option* option : command.get_options()) {
        const std::vector<std::string> choices = Choices(*option);
        const bool number = option->get_type_name().rfind("UINT", 0) == 0;
        for (const std::string& value : option->results()) {
            if (number && value.find_first_not_of("0123456789") != std::string::npos) {
                return Shown(*option) + " is a number counted from 0, not " + Quoted(value);
            }
            if (!choices.empty() &&
                std::find(choices.begin(), choices.end(), value) == choices.end()) {
                return "unknown " + option->get_name() + " " + Quoted(value) +
                       NearOrList(value, choices, "choose");
            }
        }
    }
    return {};
}

std::string Conflict(const CLI::App& command) {
    for (const CLI::Option* option : command.get_options()) {
        for (const CLI::Option* other : option->get_excludes()) {
            if (option->count() > 0 && other->count() > 0) {
                return option->get_name() + " and " + other->get_name() + " exclude each other";
            }
        }
    }
    return {};
}

std::string Unexpected(const CLI::App& command, const std::string& path) {
    const std::vector<std::string> extra = command.remaining();
    if (extra.empty()) return {};
    std::string usage;
    for (const CLI::Option* option : command.get_options()) {
        if (option->get_lnames().empty() && option->get_snames().empty()) {
            usage += " " + option->get_name();
        }
    }
    return "unexpected argument " + Quoted(extra.front()) + " for " + path + " (it takes" +
           (usage.empty() ? " none" : usage) + ")";
}

}  // namespace

std::string DescribeParseError(const CLI::App& app, int argc, char** argv,
                               const CLI::ParseError& error) {
    std::string path;
    const CLI::App& command = Selected(app, path);
    if (path.empty()) path = "reuseblocks";
    std::string message = BadOptionWord(command, path, argc, argv);
    if (message.empty()) {
        if (dynamic_cast<const CLI::ExcludesError*>(&error)) message = Conflict(command);
        if (dynamic_cast<const CLI::ExtrasError*>(&error)) message = Unexpected(command, path);
        if (dynamic_cast<const CLI::ValidationError*>(&error) ||
            dynamic_cast<const CLI::ConversionError*>(&error)) {
            message = BadValue(command);
        }
    }
    if (message.empty()) message = Missing(command, path);
    if (message.empty()) message = "the arguments of " + path + " do not fit its usage";
    return EscapeForDisplay(message) + " (see reuseblocks help" +
           (path == "reuseblocks" ? std::string() : " " + path) + ")";
}

}  // namespace reuseblocks::tool
