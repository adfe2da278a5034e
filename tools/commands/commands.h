// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_COMMANDS_COMMANDS_H
#define REUSEBLOCKS_TOOLS_COMMANDS_COMMANDS_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "edit/edit_session.h"

namespace reuseblocks::tool {

// The commands, one file each under commands/, and what the command line gives them. Every
// command returns its exit status or throws ToolError.

struct CheckOptions {
    std::vector<std::string> files;
    bool strict = false;
    bool json = false;
    std::vector<std::string> only;  // problem codes, comma-separated lists; empty: all
    std::vector<std::string> skip;
    std::size_t maxProblems = 1000;  // warnings shown; 0: all
};
int RunCheck(const CheckOptions& options);

struct ListOptions {
    std::string file;
    std::vector<std::string> where;         // conditions (inspect/block_query.h), all must hold
    std::vector<std::string> whereLiteral;  // FIELD=VALUE, every character as it is
    bool ignoreCase = false;                // -i: = and != ignore the case of letters
    std::vector<std::string> sort;    // fields to order by, comma-separated; empty: file order
    std::string countBy;              // a field: its values and their counts instead
    std::vector<std::string> fields;  // comma-separated lists; empty: the default columns
    std::string format = "table";     // table, csv, tsv, json or jsonl
    bool json = false;                // --json, the same as --format json
    bool noHeader = false;
};
int RunList(const ListOptions& options);

struct ShowOptions {
    std::string file;
    std::string id;
    bool json = false;
};
int RunShow(const ShowOptions& options);

struct SetOptions {
    std::string file;
    std::string id;
    std::vector<std::string> assignments;  // FIELD=VALUE, FIELD+=N, FIELD-=N
    std::vector<std::string> where;        // instead of ID: every block these select
    std::vector<std::string> whereLiteral;
    bool ignoreCase = false;
    std::string updates;   // --from: a file of many rows instead
    std::string format;    // of the updates; empty: by extension
    bool syncInt = false;  // INT_XLOC and INT_YLOC follow XLOC and YLOC
    WriteOptions write;
};
int RunSet(const SetOptions& options);
int RunSetFrom(const SetOptions& options);
int RunSyncInt(const SetOptions& options);
int RunAdd(const SetOptions& options);

struct RemoveOptions {
    std::string file;
    std::vector<std::string> ids;
    WriteOptions write;
};
int RunRemove(const RemoveOptions& options);

struct MapAddOptions {
    std::string file;
    std::string id;
    std::array<std::string, 4> columns;
    WriteOptions write;
};
int RunMapAdd(const MapAddOptions& options);

struct MapRemoveOptions {
    std::string file;
    std::string id;
    std::uint32_t row = 0;
    WriteOptions write;
};
int RunMapRemove(const MapRemoveOptions& options);

struct MergeOptions {
    std::vector<std::string> inputs;
    bool replace = false;  // a later block replaces an earlier one of the same ID
    WriteOptions write;    // output is required
};
int RunMerge(const MergeOptions& options);

struct MergeFileOptions {
    std::string current;  // written with the result, unless print
    std::string base;
    std::string other;
    std::vector<std::string> labels;  // -L: the names of CURRENT, BASE and OTHER in markers
    std::string name;                 // --name: CURRENT's name in messages (git's %P)
    bool print = false;               // -p: the result to standard output instead
    std::string resolve;  // --resolve: a file git's line merge left with conflict markers
    bool noWait = false;  // fail instead of waiting for another edit of the file written
};
int RunMergeFile(const MergeFileOptions& options);

struct FormatOptions {
    std::string file;
    WriteOptions write;
};
int RunFormat(const FormatOptions& options);

struct DiffOptions {
    std::vector<std::string> files;  // OLD NEW, or with git the arguments of a diff driver
    bool json = false;
    bool stat = false;
    bool git = false;
    bool textconv = false;       // FILE as text for git's own line diff
    bool quiet = false;          // -q: only whether they differ
    std::string color = "auto";  // auto, always or never
};
int RunDiff(const DiffOptions& options);

struct ImportOptions {
    std::string input;
    std::string format;  // empty: by extension
    WriteOptions write;  // output is required
};
int RunImport(const ImportOptions& options);

struct PlotOptions {
    std::string file;
    std::string output;  // empty: FILE with .svg for its extension, or "-" for FILE "-"
    std::string label = "symbol";
    std::string title;                   // empty: the file name and its counts
    std::vector<std::string> highlight;  // --where conditions; the other blocks are drawn faint
    bool ignoreCase = false;             // -i, as for list
    std::string window;                  // X0,Y0,X1,Y1; empty: the whole board
    std::string colorBy;                 // a field; empty: by status
};
int RunPlot(const PlotOptions& options);

// The language server speaks over the standard streams and takes no options.
struct LspOptions {};
int RunLsp(const LspOptions& options);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_COMMANDS_COMMANDS_H
