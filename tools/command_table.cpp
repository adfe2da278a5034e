// SPDX-License-Identifier: MIT
// The command table: every command, its arguments and options, and its help.
#include <reuseblocks/version.h>

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/command_line.h"
#include "cli/git_driver_words.h"
#include "cli/help_command.h"
#include "cli/option_groups.h"
#include "cli/parse_messages.h"
#include "cli/unknown_command.h"
#include "commands/commands.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

// What each command's --help says: what it does, examples, what its exit statuses mean.
const CommandText kCheckHelp = {
    "Load files and report what is wrong",
    "  reuseblocks check board.blocks\n"
    "  reuseblocks check --strict --json *.blocks\n"
    "  reuseblocks check --strict --only InternalLocation,Units board.blocks",
    "Exit status: 0 every file is fine, 1 a file was rejected or (--strict) warned "
    "about, 2 a usage error."};

const CommandText kListHelp = {
    "One row per block, in file order",
    "  reuseblocks list board.blocks --where BLOCK_STATUS!=Placed\n"
    "  reuseblocks list board.blocks --fields ID,XLOC,YLOC --format csv\n"
    "  reuseblocks list board.blocks --sort SIDE,XLOC --count-by STATUS",
    kViewExitStatuses};

const CommandText kShowHelp = {"Every property and layer map of a block",
                               "  reuseblocks show board.blocks /TOP/U12/B3", kViewExitStatuses};

const CommandText kSetHelp = {
    "Change properties of a block, or of many with --from",
    "  reuseblocks set board.blocks /TOP/PSU1 BLOCK_STATUS=Placed XLOC=1200 YLOC=850\n"
    "  reuseblocks set board.blocks /TOP/PSU1 ROTATION=90 -o rotated.blocks\n"
    "  reuseblocks set board.blocks --from placement.csv\n"
    "  reuseblocks set board.blocks --where SIDE=BOTTOM XLOC+=100 YLOC-=50 --sync-int\n"
    "  reuseblocks set board.blocks --sync-int",
    "Exit status: 0 written, 1 a rejected file, a problem in UPDATES (an unknown ID or field "
    "among them), a value that would not read back the same, a failed write or a locked file "
    "with --no-wait, 2 a usage error (an unknown ID or field on the command line)."};

const CommandText kAddHelp = {
    "Add a block: Smashed, Unplaced, Unprocessed unless given; all other fields required",
    "  reuseblocks add board.blocks /TOP/FAN/U40 BLOCK_PATH='$REUSE/thermal/fan_ctl' "
    "XLOC=0 YLOC=0 SIDE=TOP ROTATION=0 UNITS=mils INT_XLOC=0 INT_YLOC=0",
    kEditExitStatuses};

const CommandText kRemoveHelp = {"Remove blocks",
                                 "  reuseblocks remove board.blocks /TOP/PSU2 /TOP/PSU3/LDO1",
                                 kEditExitStatuses};

const CommandText kMapAddHelp = {"Append a layer map to a block",
                                 "  reuseblocks map add board.blocks /TOP/U12/B3 5 SIG2 5 SIG2",
                                 kEditExitStatuses};

const CommandText kMapRemoveHelp = {"Remove a layer map of a block",
                                    "  reuseblocks map remove board.blocks /TOP/U12/B3 0",
                                    kEditExitStatuses};

const CommandText kMergeHelp = {
    "Write the blocks of several files into one",
    "  reuseblocks merge top.blocks power.blocks -o board.blocks\n"
    "  reuseblocks merge --replace board.blocks new_power.blocks -o board.blocks",
    kEditExitStatuses};

const CommandText kMergeFileHelp = {
    "Merge the changes from BASE to OTHER into CURRENT, block by block, as git's merge driver",
    "  reuseblocks merge-file board.blocks base.blocks theirs.blocks\n"
    "  git config merge.blocks.driver 'reuseblocks merge-file --name %P %A %O %B'\n"
    "  reuseblocks merge-file --resolve board.blocks",
    "Exit status: 0 merged cleanly, 1 merged with conflicts (marked as git marks them and named "
    "on stderr), 2 trouble (a file that does not load or cannot be read, or a locked file with "
    "--no-wait: CURRENT is left as it was, or a usage error)."};

const CommandText kFormatHelp = {"Load a file and write it again with a fresh header",
                                 "  reuseblocks format board.blocks --app placer\n"
                                 "  reuseblocks format old.blocks -o clean.blocks",
                                 kEditExitStatuses};

const CommandText kDiffHelp = {
    "Compare two files block by block; exit 0 equal, 1 different, 2 trouble",
    "  reuseblocks diff old.blocks new.blocks\n"
    "  git config diff.blocks.command 'reuseblocks diff --git'\n"
    "  git config diff.blocks.textconv 'reuseblocks diff --textconv'",
    "Exit status: 0 equal, 1 different, 2 trouble (a file that does not load, a usage "
    "error); with --git 0 unless there is trouble."};

const CommandText kImportHelp = {
    "Write a blocks file from JSON, JSON Lines, CSV or TSV",
    "  reuseblocks list --json a.blocks | jq 'map(select(.symbol == \"optics\"))' | "
    "reuseblocks import - -o optics.blocks\n"
    "  reuseblocks import examples/leds.csv -o leds.blocks",
    "Exit status: 0 written, 1 a problem in the input (nothing is written), a failed write or "
    "a locked file with --no-wait, 2 a usage error."};

const CommandText kPlotHelp = {
    "Draw where the blocks sit, as an SVG",
    "  reuseblocks plot board.blocks\n"
    "  reuseblocks plot board.blocks --label id --title \"Rev B\" -o - > review.svg",
    kViewExitStatuses};

void AddWhereLiteralOption(CLI::App& command, std::vector<std::string>& literals) {
    command
        .add_option("-F,--where-literal", literals,
                    "Only blocks whose FIELD is exactly VALUE: no character is special; "
                    "repeatable")
        ->type_name("FIELD=VALUE")
        ->allow_extra_args(false);
}

const CommandText kLspHelp = {
    "Serve an editor as a language server on standard input and output: check's diagnostics, "
    "hover, go to definition, completion, fixes and formatting",
    "  nvim: vim.lsp.start({ name = 'reuseblocks', cmd = { 'reuseblocks', 'lsp' } })",
    "Exit status: 0 after the editor's shutdown and exit, 1 when the input ends or exit comes "
    "without a shutdown first."};

}  // namespace

int RunCommandLine(int argc, char** argv) {
    std::vector<char*> words = WithHelpAsOption(argc, argv);
    MarkGitDriverArguments(words);
    argc = static_cast<int>(words.size());
    argv = words.data();
    CLI::App app("Check, list and edit PCB_BLOCKS 2.0 design-reuse block files.", "reuseblocks");
    app.set_version_flag("--version", "reuseblocks " REUSEBLOCKS_VERSION_STRING);
    app.require_subcommand(1);
    // Block IDs start with "/": never read them as Windows-style options, on any system.
    app.allow_windows_style_options(false);
    SetHelp(app,
            "  reuseblocks check --strict board.blocks\n"
            "  reuseblocks list board.blocks --where BLOCK_STATUS=Unplaced --fields ID,SYMBOL",
            kExitStatuses);
    std::function<int()> run;

    CheckOptions check;
    CLI::App* checkCommand = AddCommand(app, "check", run, RunCheck, check, kCheckHelp);
    checkCommand->add_option("FILE", check.files, "Blocks files")->required();
    checkCommand->add_flag("--strict", check.strict,
                           "Also warn about values outside the header's conventions, a missing "
                           "format line, repeated layer maps and values a write would change");
    checkCommand->add_flag("--json", check.json, "Print one record per file as JSON");
    checkCommand
        ->add_option("--only", check.only,
                     "Report only problems of these codes (as --json names them); errors always")
        ->type_name("CODES");
    checkCommand->add_option("--skip", check.skip, "Do not report problems of these codes")
        ->type_name("CODES");
    checkCommand
        ->add_option("--max-problems", check.maxProblems,
                     "Show at most N warnings, in file order (0: all); the counts count all")
        ->type_name("N")
        ->capture_default_str();

    ListOptions list;
    CLI::App* listCommand = AddCommand<Takes::kFile>(app, "list", run, RunList, list, kListHelp);
    listCommand
        ->add_option("--where", list.where,
                     "Only blocks whose FIELD is (=) or is not (!=) one of VALUES, a,b or a glob "
                     "*a*, or compares as a number (< <= > >=); | between tests: any may hold; "
                     "repeatable, all must hold")
        ->type_name("FIELD=VALUES");
    AddWhereLiteralOption(*listCommand, list.whereLiteral);
    listCommand->add_flag("-i,--ignore-case", list.ignoreCase,
                          "--where compares = and != values without the case of letters");
    listCommand
        ->add_option("--sort", list.sort,
                     "Order by these fields, comma-separated: numbers as numbers, then text; "
                     "equal keys keep file order")
        ->type_name("FIELDS");
    listCommand
        ->add_option("--count-by", list.countBy,
                     "Print each value of FIELD among the blocks and how many have it")
        ->type_name("FIELD");
    listCommand
        ->add_option(
            "--fields", list.fields,
            "Columns, comma-separated: field names or the table's headers (ID, X, STATUS...)")
        ->type_name("LIST");
    CLI::Option* formatOption =
        listCommand->add_option("--format", list.format, "table, csv, tsv, json or jsonl")
            ->check(CLI::IsMember({"table", "csv", "tsv", "json", "jsonl"}))
            ->capture_default_str();
    listCommand->add_flag("--json", list.json, "The same as --format json")->excludes(formatOption);
    listCommand->add_flag("--no-header", list.noHeader,
                          "Leave out the header row (table, csv, tsv)");

    ShowOptions show;
    CLI::App* showCommand = AddCommand<Takes::kFile>(app, "show", run, RunShow, show, kShowHelp);
    showCommand->add_option("ID", show.id, "Block ID (BLOCK_HIER_NAME)")->required();
    showCommand->add_flag("--json", show.json, "Print the block as JSON");

    SetOptions set;
    CLI::App* setCommand = AddCommand<Takes::kFile>(app, "set", run, RunSet, set, kSetHelp);
    setCommand->add_option("ID", set.id, "Block ID");
    setCommand->add_option("FIELD=VALUE", set.assignments,
                           "e.g. BLOCK_STATUS=Placed XLOC=1200, or list's headers: "
                           "STATUS=Placed X=1200; XLOC+=100 and YLOC-=50 add to a number");
    setCommand
        ->add_option("--where", set.where,
                     "Instead of ID, change every block that meets these conditions (as list's)")
        ->type_name("FIELD=VALUES")
        ->allow_extra_args(false);
    AddWhereLiteralOption(*setCommand, set.whereLiteral);
    setCommand->add_flag("-i,--ignore-case", set.ignoreCase,
                         "--where compares = and != values without the case of letters");
    AddBatchOptions(*setCommand, set.updates, set.format);
    setCommand->add_flag("--sync-int", set.syncInt,
                         "Set INT_XLOC and INT_YLOC from XLOC and YLOC in the block's UNITS; "
                         "without ID, of every block");
    AddWriteOptions(*setCommand, set.write, false);

    SetOptions add;
    CLI::App* addCommand = AddCommand<Takes::kFileToEdit>(app, "add", run, RunAdd, add, kAddHelp);
    addCommand->add_option("ID", add.id, "ID of the new block")->required();
    addCommand->add_option("FIELD=VALUE", add.assignments, "e.g. BLOCK_PATH=$REUSE/libs/optics");

    RemoveOptions remove;
    CLI::App* removeCommand =
        AddCommand<Takes::kFileToEdit>(app, "remove", run, RunRemove, remove, kRemoveHelp);
    removeCommand->add_option("ID", remove.ids, "Block IDs")->required();

    CLI::App* mapCommand = app.add_subcommand("map", "Add or remove layer maps of a block");
    mapCommand->require_subcommand(1);
    SetHelp(*mapCommand,
            "  reuseblocks map add board.blocks /TOP/U12/B3 5 SIG2 5 SIG2\n"
            "  reuseblocks map remove board.blocks /TOP/U12/B3 0",
            kEditExitStatuses);

    MapAddOptions mapAdd;
    CLI::App* mapAddCommand =
        AddCommand<Takes::kFileToEdit>(*mapCommand, "add", run, RunMapAdd, mapAdd, kMapAddHelp);
    mapAddCommand->add_option("ID", mapAdd.id, "Block ID")->required();
    mapAddCommand->add_option("ORDER", mapAdd.columns[0], "BLOCK_LAYER_ORDER")->required();
    mapAddCommand->add_option("NAME", mapAdd.columns[1], "BLOCK_LAYER_NAME")->required();
    mapAddCommand->add_option("DESIGN_ORDER", mapAdd.columns[2], "DESIGN_ORDER")->required();
    mapAddCommand->add_option("DESIGN_NAME", mapAdd.columns[3], "DESIGN_LAYER_NAME")->required();

    MapRemoveOptions mapRemove;
    CLI::App* mapRemoveCommand = AddCommand<Takes::kFileToEdit>(
        *mapCommand, "remove", run, RunMapRemove, mapRemove, kMapRemoveHelp);
    mapRemoveCommand->add_option("ID", mapRemove.id, "Block ID")->required();
    mapRemoveCommand->add_option("ROW", mapRemove.row, "Row, counted from 0 as `show` prints it")
        ->required();

    MergeOptions merge;
    CLI::App* mergeCommand = AddCommand(app, "merge", run, RunMerge, merge, kMergeHelp);
    mergeCommand->add_option("FILE", merge.inputs, "Blocks files; IDs must not repeat")
        ->required()
        ->expected(2, -1);
    mergeCommand->add_flag("--replace", merge.replace,
                           "A block of a later file replaces the block of the same ID");
    AddWriteOptions(*mergeCommand, merge.write, true);

    MergeFileOptions mergeFile;
    CLI::App* mergeFileCommand =
        AddCommand(app, "merge-file", run, RunMergeFile, mergeFile, kMergeFileHelp);
    // Required unless --resolve, which RunMergeFile checks.
    mergeFileCommand->add_option("CURRENT", mergeFile.current,
                                 "Blocks file to merge into (git's %A)");
    mergeFileCommand->add_option("BASE", mergeFile.base, "Their common ancestor (%O)");
    mergeFileCommand->add_option("OTHER", mergeFile.other, "The other side (%B)");
    mergeFileCommand
        ->add_option("--resolve", mergeFile.resolve,
                     "Merge the conflicts git's line merge left in FILE block by block")
        ->type_name("FILE");
    mergeFileCommand->add_flag("-p,--stdout", mergeFile.print,
                               "Print the result instead of writing CURRENT");
    mergeFileCommand
        ->add_option("-L,--label", mergeFile.labels,
                     "Label of CURRENT, BASE and OTHER in conflict markers, in that order")
        ->type_name("LABEL")
        ->allow_extra_args(false);
    mergeFileCommand->add_option("--name", mergeFile.name, "Name CURRENT in messages (git's %P)")
        ->type_name("PATH");
    mergeFileCommand->add_flag(
        "--no-wait", mergeFile.noWait,
        "Fail at once when another edit holds the file written over, instead of waiting");

    FormatOptions format;
    AddCommand<Takes::kFileToEdit>(app, "format", run, RunFormat, format, kFormatHelp);

    DiffOptions diff;
    CLI::App* diffCommand = AddCommand(app, "diff", run, RunDiff, diff, kDiffHelp);
    diffCommand->add_option("FILE", diff.files, "OLD and NEW blocks files (with --git: git's)")
        ->required();
    diffCommand->add_flag("--json", diff.json, "Print the differences as JSON");
    diffCommand->add_flag("--stat", diff.stat, "One line per block that differs");
    diffCommand->add_flag("--git", diff.git,
                          "Take the arguments git gives a diff driver; exit 0 when different");
    diffCommand->add_flag("--textconv", diff.textconv, "Print FILE as text for git's line diff");
    diffCommand->add_flag("-q,--brief", diff.quiet, "Only say whether the files differ");
    diffCommand->add_option("--color", diff.color, "Colour the differences: auto, always, never")
        ->check(CLI::IsMember({"auto", "always", "never"}))
        ->type_name("WHEN")
        ->capture_default_str();

    ImportOptions import;
    CLI::App* importCommand = AddCommand(app, "import", run, RunImport, import, kImportHelp);
    importCommand->add_option("INPUT", import.input, "Blocks as list --json prints them, or rows")
        ->required();
    importCommand
        ->add_option("--format", import.format, "json, jsonl, csv or tsv; default: by extension")
        ->type_name("FORMAT");
    AddWriteOptions(*importCommand, import.write, true);

    LspOptions lsp;
    AddCommand(app, "lsp", run, RunLsp, lsp, kLspHelp);

    PlotOptions plot;
    CLI::App* plotCommand = AddCommand<Takes::kFile>(app, "plot", run, RunPlot, plot, kPlotHelp);
    plotCommand
        ->add_option("-o,--output", plot.output, "SVG to write (default FILE.svg; - for stdout)")
        ->type_name("OUT.svg");
    plotCommand->add_option("--label", plot.label, "Text beside each block")
        ->check(CLI::IsMember({"id", "symbol", "none"}))
        ->capture_default_str();
    plotCommand->add_option("--title", plot.title, "Title (default the file name and its counts)");
    plotCommand
        ->add_option("--highlight", plot.highlight,
                     "Draw the blocks that meet these --where conditions as usual, the rest faint")
        ->type_name("WHERE");
    plotCommand
        ->add_option("--window", plot.window,
                     "Draw only this part of the board, in the unit of its axes")
        ->type_name("X0,Y0,X1,Y1");
    plotCommand
        ->add_option("--color-by", plot.colorBy,
                     "Fill the blocks by the value of this field, with a key of the values")
        ->type_name("FIELD");
    plotCommand->add_flag("-i,--ignore-case", plot.ignoreCase,
                          "--highlight compares = and != values without the case of letters");

    AddHelpCommand(app);

    const std::string unknown = FindUnknownCommand(app, argc, argv);
    if (!unknown.empty()) throw UsageError(unknown);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version arrive here too, with status 0.
        if (error.get_exit_code() == 0) return app.exit(error);
        throw UsageError(DescribeParseError(app, argc, argv, error));
    }
    if (list.json) list.format = "json";
    return run();
}

}  // namespace reuseblocks::tool
