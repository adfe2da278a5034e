// SPDX-License-Identifier: MIT
#include "edit_session.h"

#include <reuseblocks/diagnostics.h>

#include <cerrno>
#include <filesystem>
#include <iostream>

#include "edit/loading.h"
#include "files/standard_streams.h"
#include "files/write_failure.h"
#include "inspect/diff_report.h"
#include "records/round_trip_text.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

// The lock an edit holds from its load to its write when it writes back in place; none when it
// writes elsewhere.
FileLock LockForEdit(const std::string& file, const WriteOptions& write) {
    if (write.dryRun || IsStandardStream(file) || (!write.output.empty() && write.output != file)) {
        return FileLock();
    }
    return FileLock::Acquire(file, !write.noWait);
}

void RefuseValuesThatWouldNotReadBack(const CReuseBlockFile& blocks, const std::string& path) {
    const std::vector<RoundTripProblem> problems = FindRoundTripProblems(blocks);
    if (problems.empty()) return;
    std::string text;
    for (const RoundTripProblem& problem : problems) {
        text += ErrorLine(RoundTripMessage(problem)) + "\n";
    }
    throw ToolError(kExitFailure,
                    text + ErrorLine("not writing " + Quoted(path) + ": " +
                                     Counted(problems.size(), "value", "values") +
                                     " would not read back the same (--force writes anyway)"));
}

void WriteBlocks(CReuseBlockFile& blocks, const std::string& path, const std::string& app) {
    if (IsStandardStream(path)) {
        // Complete before any of it goes out: a failed write prints nothing.
        const std::string complete = ScratchPath("stdout");
        WriteBlocks(blocks, complete, app);
        return CopyToStandardOutput(complete);
    }
    errno = 0;
    if (blocks.WriteFile(path.c_str(), app.c_str()) == 0) throw CannotWrite(path, errno);
}

// What a dry run compares with: the file -o names when it exists, since that is what the write
// would replace; otherwise the input (an edit in place, to standard output or to a new file);
// for a new collection going to a new file, nothing. Returns the name it loaded.
std::string LoadWhatWouldChange(CReuseBlockFile& before, const std::string& input,
                                const std::string& output) {
    std::error_code ignored;
    const bool replaces =
        !output.empty() && !IsStandardStream(output) && std::filesystem::exists(output, ignored);
    const std::string& source = replaces ? output : input;
    if (!source.empty()) LoadOrFail(before, source);
    return source.empty() ? output : source;
}

}  // namespace

int WithDryRunStatuses(const WriteOptions& write, const std::function<int()>& command) {
    if (!write.dryRun) return command();
    try {
        return command();
    } catch (const ToolError& error) {
        // diff's statuses: 1 says "different", so any failure is trouble.
        throw ToolError(kExitUsage, error.what());
    }
}

EditSession::EditSession(const std::string& file, const WriteOptions& write)
    : m_file(file), m_write(write), m_lock(LockForEdit(file, write)) {
    LoadOrFail(m_blocks, file);
}

EditSession::EditSession(const WriteOptions& write) : m_write(write) {}

CReuseBlock& EditSession::Block(const std::string& id) {
    return BlockOrFail(m_blocks, m_file, id);
}

int EditSession::Write() {
    const std::string& path = m_write.output.empty() ? m_file : m_write.output;
    if (!m_write.force) RefuseValuesThatWouldNotReadBack(m_blocks, path);
    if (m_write.dryRun) {
        CReuseBlockFile before;
        const std::string name = DisplayName(LoadWhatWouldChange(before, m_file, m_write.output));
        const std::vector<BlockChange> changes = CompareCollections(before, m_blocks);
        PrintDiffText(changes, name, DisplayName(path) + " (dry run)", std::cout);
        return changes.empty() ? kExitSuccess : kExitFailure;
    }
    WriteBlocks(m_blocks, path, m_write.app);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
