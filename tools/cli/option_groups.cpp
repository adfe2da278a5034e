// SPDX-License-Identifier: MIT
#include "option_groups.h"

namespace reuseblocks::tool {

void SetHelp(CLI::App& command, const std::string& examples, const char* statuses) {
    command.footer("Examples:\n" + examples + "\n\n" + statuses);
}

void AddWriteOptions(CLI::App& command, WriteOptions& write, bool outputRequired) {
    CLI::Option* output =
        command.add_option("-o,--output", write.output,
                           outputRequired ? "File to write" : "Write here instead of in place");
    output->type_name("OUT");
    if (outputRequired) output->required();
    command
        .add_option("--app", write.app,
                    "Application name in the written header; an edit keeps the file's own "
                    "unless given")
        ->each([&write](const std::string&) { write.appGiven = true; })
        ->type_name("NAME")
        ->capture_default_str();
    command.add_flag(
        "--force", write.force,
        "Write even values that would not read back the same (they are lost), or edit a "
        "file holding text the loader ignores");
    command.add_flag("--dry-run", write.dryRun,
                     "Write nothing: show what would change as `diff` does, and exit as it does");
    command.add_flag("--no-wait", write.noWait,
                     "Fail at once when another edit holds the file written over, instead of "
                     "waiting");
}

void AddBatchOptions(CLI::App& command, std::string& updates, std::string& format) {
    command.add_option("--from", updates, "Apply the rows of a CSV or JSON Lines file")
        ->type_name("UPDATES");
    command.add_option("--format", format, "Format of the rows: json, jsonl, csv or tsv")
        ->type_name("FORMAT");
}

}  // namespace reuseblocks::tool
