// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_CLI_OPTION_GROUPS_H
#define REUSEBLOCKS_TOOLS_CLI_OPTION_GROUPS_H

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <type_traits>

#include "edit/edit_session.h"

namespace reuseblocks::tool {

// The footers of --help: what each kind of command's exit status means.
inline constexpr const char* kExitStatuses =
    "Exit status: 0 success, 1 a rejected file, a --strict warning, a refused or failed write or "
    "lost output, 2 a usage error.";
inline constexpr const char* kViewExitStatuses =
    "Exit status: 0 success, 1 a file that does not load or output that cannot be written, 2 a "
    "usage error.";
inline constexpr const char* kEditExitStatuses =
    "Exit status: 0 written, 1 a rejected file, a value that would not read back the same, a "
    "failed write or a locked file with --no-wait, 2 a usage error (unknown ID or field).";

// Examples and the exit statuses at the end of a command's --help.
void SetHelp(CLI::App& command, const std::string& examples, const char* statuses);

// -o/--output, --app, --force, --dry-run and --no-wait, the options of every command that writes
// a blocks file.
void AddWriteOptions(CLI::App& command, WriteOptions& write, bool outputRequired);

// --from UPDATES and --format, for the commands that take many rows at once.
void AddBatchOptions(CLI::App& command, std::string& updates, std::string& format);

// What a command's --help says of it.
struct CommandText {
    std::string description;
    std::string examples;
    const char* statuses;
};

// What a command takes before its own arguments: nothing, a blocks file FILE, or a blocks file
// it edits, in place unless -o says otherwise.
enum class Takes { kNothing, kFile, kFileToEdit };

// Options with a `write` member belong to a command that writes a blocks file.
template <typename Options, typename = void>
struct WritesBlocks : std::false_type {};
template <typename Options>
struct WritesBlocks<Options, std::void_t<decltype(Options::write)>> : std::true_type {};

// A command of `parent`; when the command line names it, `run` is left calling `command` with
// the `options` the parser filled in.
template <Takes kTakes = Takes::kNothing, typename Options>
CLI::App* AddCommand(CLI::App& parent, const std::string& name, std::function<int()>& run,
                     int (*command)(const Options&), Options& options, const CommandText& text) {
    CLI::App* added = parent.add_subcommand(name, text.description);
    SetHelp(*added, text.examples, text.statuses);
    added->callback([&run, command, &options] {
        run = [command, &options] {
            if constexpr (WritesBlocks<Options>::value) {
                return WithDryRunStatuses(options.write, [&] { return command(options); });
            } else {
                return command(options);
            }
        };
    });
    if constexpr (kTakes != Takes::kNothing) {
        added->add_option("FILE", options.file, "Blocks file")->required();
    }
    if constexpr (kTakes == Takes::kFileToEdit) AddWriteOptions(*added, options.write, false);
    return added;
}

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_CLI_OPTION_GROUPS_H
