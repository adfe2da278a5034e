#include "command_line.h"

#include <CLI/CLI.hpp>
#include <functional>

#include "commands.h"
#include "tool_error.h"

namespace reuseblocks::tool {

namespace {

void AddWriteOptions(CLI::App& command, WriteOptions& write, bool outputRequired) {
    CLI::Option* output =
        command.add_option("-o,--output", write.output,
                           outputRequired ? "File to write" : "Write here instead of in place");
    output->type_name("OUT");
    if (outputRequired) output->required();
    command.add_option("--app", write.app, "Application name in the written header")
        ->type_name("NAME")
        ->capture_default_str();
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
    CLI::App app("Check, list and edit PCB_BLOCKS 2.0 design-reuse block files.", "reuseblocks");
    app.set_version_flag("--version", "reuseblocks " REUSEBLOCKS_VERSION);
    app.require_subcommand(1);
    // Block IDs start with "/": never read them as Windows-style options, on any system.
    app.allow_windows_style_options(false);
    std::function<int()> run;

    CheckOptions check;
    CLI::App* checkCommand = app.add_subcommand("check", "Load files and report what is wrong");
    checkCommand->add_option("FILE", check.files, "Blocks files")->required();
    checkCommand->add_flag("--strict", check.strict,
                           "Also warn about values a write and a read back would change");
    checkCommand->add_flag("--json", check.json, "Print the results as JSON");
    checkCommand->callback([&] { run = [&] { return RunCheck(check); }; });

    ListOptions list;
    CLI::App* listCommand = app.add_subcommand("list", "One row per block, in file order");
    listCommand->add_option("FILE", list.file, "Blocks file")->required();
    listCommand->add_flag("--json", list.json, "Print every block as JSON");
    listCommand->callback([&] { run = [&] { return RunList(list); }; });

    ShowOptions show;
    CLI::App* showCommand = app.add_subcommand("show", "Every property and layer map of a block");
    showCommand->add_option("FILE", show.file, "Blocks file")->required();
    showCommand->add_option("ID", show.id, "Block ID (BLOCK_HIER_NAME)")->required();
    showCommand->add_flag("--json", show.json, "Print the block as JSON");
    showCommand->callback([&] { run = [&] { return RunShow(show); }; });

    SetOptions set;
    CLI::App* setCommand = app.add_subcommand("set", "Change properties of a block");
    setCommand->add_option("FILE", set.file, "Blocks file")->required();
    setCommand->add_option("ID", set.id, "Block ID")->required();
    setCommand->add_option("FIELD=VALUE", set.assignments, "e.g. BLOCK_STATUS=Placed XLOC=1200")
        ->required();
    AddWriteOptions(*setCommand, set.write, false);
    setCommand->callback([&] { run = [&] { return RunSet(set); }; });

    SetOptions add;
    CLI::App* addCommand = app.add_subcommand(
        "add",
        "Add a block: Smashed, Unplaced, Unprocessed unless given; all other fields required");
    addCommand->add_option("FILE", add.file, "Blocks file")->required();
    addCommand->add_option("ID", add.id, "ID of the new block")->required();
    addCommand->add_option("FIELD=VALUE", add.assignments, "e.g. BLOCK_PATH=$REUSE/libs/optics");
    AddWriteOptions(*addCommand, add.write, false);
    addCommand->callback([&] { run = [&] { return RunAdd(add); }; });

    RemoveOptions remove;
    CLI::App* removeCommand = app.add_subcommand("remove", "Remove blocks");
    removeCommand->add_option("FILE", remove.file, "Blocks file")->required();
    removeCommand->add_option("ID", remove.ids, "Block IDs")->required();
    AddWriteOptions(*removeCommand, remove.write, false);
    removeCommand->callback([&] { run = [&] { return RunRemove(remove); }; });

    CLI::App* mapCommand = app.add_subcommand("map", "Add or remove layer maps of a block");
    mapCommand->require_subcommand(1);

    MapAddOptions mapAdd;
    CLI::App* mapAddCommand = mapCommand->add_subcommand("add", "Append a layer map to a block");
    mapAddCommand->add_option("FILE", mapAdd.file, "Blocks file")->required();
    mapAddCommand->add_option("ID", mapAdd.id, "Block ID")->required();
    mapAddCommand->add_option("ORDER", mapAdd.columns[0], "BLOCK_LAYER_ORDER")->required();
    mapAddCommand->add_option("NAME", mapAdd.columns[1], "BLOCK_LAYER_NAME")->required();
    mapAddCommand->add_option("DESIGN_ORDER", mapAdd.columns[2], "DESIGN_ORDER")->required();
    mapAddCommand->add_option("DESIGN_NAME", mapAdd.columns[3], "DESIGN_LAYER_NAME")->required();
    AddWriteOptions(*mapAddCommand, mapAdd.write, false);
    mapAddCommand->callback([&] { run = [&] { return RunMapAdd(mapAdd); }; });

    MapRemoveOptions mapRemove;
    CLI::App* mapRemoveCommand =
        mapCommand->add_subcommand("remove", "Remove a layer map of a block");
    mapRemoveCommand->add_option("FILE", mapRemove.file, "Blocks file")->required();
    mapRemoveCommand->add_option("ID", mapRemove.id, "Block ID")->required();
    mapRemoveCommand->add_option("ROW", mapRemove.row, "Row, counted from 0 as `show` prints it")
        ->required();
    AddWriteOptions(*mapRemoveCommand, mapRemove.write, false);
    mapRemoveCommand->callback([&] { run = [&] { return RunMapRemove(mapRemove); }; });

    MergeOptions merge;
    CLI::App* mergeCommand =
        app.add_subcommand("merge", "Write the blocks of several files into one");
    mergeCommand->add_option("FILE", merge.inputs, "Blocks files; IDs must not repeat")
        ->required()
        ->expected(2, -1);
    AddWriteOptions(*mergeCommand, merge.write, true);
    mergeCommand->callback([&] { run = [&] { return RunMerge(merge); }; });

    FormatOptions format;
    CLI::App* formatCommand =
        app.add_subcommand("format", "Load a file and write it again with a fresh header");
    formatCommand->add_option("FILE", format.file, "Blocks file")->required();
    AddWriteOptions(*formatCommand, format.write, false);
    formatCommand->callback([&] { run = [&] { return RunFormat(format); }; });

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version arrive here too, with status 0.
        const int status = app.exit(error);
        return status == 0 ? kExitSuccess : kExitUsage;
    }
    return run();
}

}  // namespace reuseblocks::tool
