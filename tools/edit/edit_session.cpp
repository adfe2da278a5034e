// SPDX-License-Identifier: MIT
#include "edit_session.h"

#include <reuseblocks/diagnostics.h>
#include <reuseblocks/edit.h>
#include <reuseblocks/fields.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string_view>
#include <thread>

#include "edit/changes.h"
#include "edit/loading.h"
#include "files/atomic_file.h"
#include "files/cannot_write.h"
#include "files/standard_streams.h"
#include "files/whole_file.h"
#include "inspect/diff_report.h"
#include "platform/console.h"
#include "records/round_trip_text.h"
#include "terminal/progress_line.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

// The lock of the file a write replaces: -o's, or the file read when the write goes back to it;
// none for a dry run or a stream.
detail::platform::FileLock LockTarget(const std::string& file, const WriteOptions& write) {
    const std::string& target = write.output.empty() ? file : write.output;
    if (write.dryRun || target.empty() || IsStandardStream(target)) {
        return detail::platform::FileLock();
    }
    return LockToWriteOver(target, write.noWait);
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

// SOURCE_DATE_EPOCH, the date reproducible builds agree on, when it is set: a whole number of
// seconds, or the command fails rather than write a date nobody asked for.
bool SourceDateEpoch(std::int64_t& seconds) {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    // strtoll also takes leading white space and a plus sign; the convention does not.
    const char first = text[0] == '-' ? text[1] : text[0];
    if (errno != 0 || *end != '\0' || first < '0' || first > '9') {
        throw UsageError("SOURCE_DATE_EPOCH is " + Quoted(text) +
                         ", not a whole number of seconds since 1970-01-01 UTC");
    }
    seconds = value;
    return true;
}

// What follows "cannot write: " in the message of a refused write in memory.
std::string ReasonOfTextWrite(const WriteReport& report) {
    const std::string_view prefix = "cannot write: ";
    const std::string_view message = report.message;
    return std::string(message.substr(0, prefix.size()) == prefix ? message.substr(prefix.size())
                                                                  : message);
}

void WriteToStandardOutput(std::string_view text) {
    detail::platform::UseBinaryStandardStreams();
    AtomicFile out("-");
    out.Write(text);
    out.Commit();  // a full disk or a closed pipe fails the command
}

// The header of a file written whole.
WriteFileOptions FreshHeader() {
    WriteFileOptions options;
    options.hasDate = SourceDateEpoch(options.date);
    return options;
}

void WriteBlocks(CReuseBlockFile& blocks, const std::string& path, const std::string& app) {
    if (app.find_first_of("\r\n") != std::string::npos) {
        throw Failure("cannot write " +
                      (IsStandardStream(path) ? "to standard output" : Quoted(path)) +
                      ": the application name (--app) holds a line break, which would end the "
                      "header line early");
    }
    if (IsStandardStream(path)) {
        // Complete, in memory, before any of it goes out: a failed write prints nothing.
        std::string text;
        const WriteReport report = WriteTextWithReport(blocks, app.c_str(), FreshHeader(), text);
        if (!report.Succeeded()) {
            throw Failure("cannot write to standard output: " + ReasonOfTextWrite(report));
        }
        return WriteToStandardOutput(text);
    }
    const WriteReport report =
        WriteFileWithReport(blocks, path.c_str(), app.c_str(), FreshHeader());
    if (!report.Succeeded()) throw CannotWrite(path, report);
}

std::vector<std::string> ValuesOf(const CReuseBlock& block) {
    const std::uint32_t rows = block.GetLayerMapCount();
    std::vector<std::string> values;
    values.reserve(kPropertyCount + std::size_t{kLayerMapColumnCount} * rows);
    for (std::uint32_t p = 0; p < kPropertyCount; ++p) {
        values.emplace_back(block.GetPropertyRef(p).GetView());
    }
    for (std::uint32_t row = 0; row < rows; ++row) {
        for (std::uint32_t column = 0; column < kLayerMapColumnCount; ++column) {
            values.emplace_back(block.GetLayerMapRef(row, column).GetView());
        }
    }
    return values;
}

UpdateOptions HeaderUpdate(const WriteOptions& write) {
    UpdateOptions options;
    if (!write.appGiven) return options;
    options.application = write.app.empty() ? "Unknown" : write.app;
    options.hasDate = SourceDateEpoch(options.date);
    return options;
}

int NoteUnchanged(const std::string& path) {
    PrintDiagnostic(
        NoteLine(EscapeForDisplay(DisplayName(path)) + " is unchanged; nothing written"));
    return kExitSuccess;
}

}  // namespace

detail::platform::FileLock LockToWriteOver(const std::string& path, bool noWait) {
    using detail::platform::FileLock;
    FileLock::Refusal refusal = FileLock::Refusal::kNone;
    detail::platform::ErrorCode error = 0;
    FileLock lock = FileLock::Acquire(path, false, refusal, error);
    if (refusal == FileLock::Refusal::kBusy && !noWait) {
        // On a terminal a person is waiting: after a second that they would notice, say why.
        const bool told = detail::platform::StandardErrorIsTerminal();
        const auto start = std::chrono::steady_clock::now();
        while (told && refusal == FileLock::Refusal::kBusy &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            lock = FileLock::Acquire(path, false, refusal, error);
        }
        if (refusal == FileLock::Refusal::kBusy) {
            if (told) {
                PrintDiagnostic(NoteLine("waiting for another edit of " + Quoted(path) +
                                         " to finish (--no-wait fails instead)"));
            }
            lock = FileLock::Acquire(path, true, refusal, error);
        }
    }
    if (refusal == FileLock::Refusal::kBusy) {
        throw Failure(Quoted(path) + " is being edited by another process (--no-wait)");
    }
    if (refusal == FileLock::Refusal::kFailed) {
        throw Failure("cannot lock " + Quoted(path) + ": " + detail::platform::ErrorText(error));
    }
    return lock;
}

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
    : m_file(file), m_write(write), m_lock(LockTarget(file, write)) {
    m_text = ReadablePath(file);
    std::error_code ignored;
    if (std::filesystem::is_regular_file(m_text, ignored)) {
        // Loaded as the library loads a file, in pieces side by side, with no copy of its whole
        // text; the write reads it under the same lock.
        LoadFileForEditOrFail(m_blocks, file, DisplayName(file), !write.force);
        m_onlyHandedOutBlocks = true;
    } else if (const std::optional<WholeFileText> text = ReadWholeFile(m_text)) {
        // A stream gives its bytes once: read whole for the load and the checks.
        LoadTextForEditOrFail(m_blocks, *text, DisplayName(file), !write.force);
        m_onlyHandedOutBlocks = true;
    } else {
        LoadOrFail(m_blocks, file);  // which says why it cannot be read
    }
    // Kept rather than read again: a FIFO gives its bytes once.
    if (write.dryRun) {
        for (const CReuseBlock* block : BlocksInOrder(m_blocks)) {
            CopyBlock(*block, *m_loaded.NewBlock(block->GetBlockID().GetString()));
        }
    }
}

EditSession::EditSession(const WriteOptions& write)
    : m_write(write), m_lock(LockTarget(std::string(), write)) {}

CReuseBlock& EditSession::Block(const std::string& id) {
    CReuseBlock& block = BlockOrFail(m_blocks, m_file, id);
    if (m_onlyHandedOutBlocks &&
        std::none_of(m_handedOut.begin(), m_handedOut.end(),
                     [&block](const HandedOut& seen) { return seen.block == &block; })) {
        m_handedOut.push_back({&block, ValuesOf(block)});
    }
    return block;
}

void EditSession::KeepTextOf(const std::string& input) {
    m_text = ReadablePath(input);
    m_onlyHandedOutBlocks = false;
}

void EditSession::StartAfresh() {
    if (!m_text.empty()) NoteCommentsOf(m_file);
    m_text.clear();
    m_onlyHandedOutBlocks = false;
}

// Whether writing would give back the very text read, known without reading it again: nothing
// but blocks handed out by Block could have changed, and each holds what it held. The text was
// fully loaded (--force may load past text the loader ignores) and the write goes back to it
// with its header as it stands.
bool EditSession::ChangesNothing() const {
    if (!m_onlyHandedOutBlocks || m_write.force || m_write.dryRun || m_write.appGiven ||
        !m_write.output.empty() || IsStandardStream(m_file)) {
        return false;
    }
    return std::all_of(m_handedOut.begin(), m_handedOut.end(),
                       [](const HandedOut& seen) { return ValuesOf(*seen.block) == seen.values; });
}

void EditSession::NoteCommentsOf(const std::string& input) {
    const std::size_t comments = CountOwnComments(input);
    if (comments > 0 && m_comments == 0) m_commentedFile = input;
    m_comments += comments;
}

int EditSession::Write() {
    const std::string& path = m_write.output.empty() ? m_file : m_write.output;
    if (ChangesNothing()) return NoteUnchanged(path);
    if (!m_write.force) RefuseValuesThatWouldNotReadBack(m_blocks, path);
    if (m_comments > 0) {
        // The library keeps blocks, not the lines around them, of every file but the one whose
        // text the write keeps.
        PrintDiagnostic(NoteLine(EscapeForDisplay(DisplayName(m_commentedFile)) + " has " +
                                 Counted(m_comments, "comment line", "comment lines") +
                                 " of its own; " +
                                 (m_text.empty() ? "a written file keeps none, only its blocks "
                                                   "under a fresh header"
                                                 : "the written file keeps only its blocks")));
    }
    if (m_write.dryRun) return ShowWhatWouldChange(path);
    ProgressLine::Step("writing " + Quoted(DisplayName(path)));
    if (!m_text.empty()) return WriteIntoText(path);
    WriteBlocks(m_blocks, path, m_write.app);
    return kExitSuccess;
}

int EditSession::WriteIntoText(const std::string& path) {
    if (m_write.app.find_first_of("\r\n") != std::string::npos) {
        throw Failure("cannot write " + Quoted(path) +
                      ": the application name (--app) holds a line break, which would end the "
                      "header line early");
    }
    if (IsStandardStream(path)) return WriteTextToStandardOutput();
    const UpdateReport report =
        UpdateFileWithReport(m_blocks, m_text.c_str(), path.c_str(), HeaderUpdate(m_write));
    switch (report.result) {
        case UpdateResult::kUpdated:
            break;
        case UpdateResult::kUnchanged:
            return NoteUnchanged(path);
        case UpdateResult::kCannotWrite: {
            WriteReport written;
            written.result = 0;
            written.step = report.step;
            written.systemError = report.systemError;
            written.message = report.message;
            throw CannotWrite(path, written);
        }
        default:
            throw Failure("cannot write " + Quoted(path) + ": " + report.message);
    }
    return kExitSuccess;
}

// The text kept, updated in memory: standard output gets it whole, changed or not.
int EditSession::WriteTextToStandardOutput() {
    const std::optional<WholeFileText> read = ReadWholeFile(m_text);
    if (!read) throw Failure("cannot read " + Quoted(DisplayName(m_file)) + " again");
    const std::string_view original = *read;
    std::string updated;
    const UpdateReport report = UpdateText(original, m_blocks, HeaderUpdate(m_write), updated);
    if (!report.Succeeded()) {
        throw Failure("cannot write to standard output: " + report.message);
    }
    WriteToStandardOutput(report.result == UpdateResult::kUnchanged ? original : updated);
    return kExitSuccess;
}

// Compares with the file -o names when it exists, since that is what the write would replace;
// otherwise with the input as it was read (an edit in place, to standard output or to a new
// file); a new collection bound for a new file, with nothing.
int EditSession::ShowWhatWouldChange(const std::string& path) {
    std::error_code ignored;
    const std::string& output = m_write.output;
    const bool replaces =
        !output.empty() && !IsStandardStream(output) && std::filesystem::exists(output, ignored);
    CReuseBlockFile replaced;
    if (replaces) LoadOrFail(replaced, output);
    const std::vector<BlockChange> changes =
        CompareCollections(replaces ? replaced : m_loaded, m_blocks);
    const std::string before = replaces || m_file.empty() ? path : m_file;
    const std::string after = IsStandardStream(path) ? "<stdout>" : DisplayName(path);
    PrintDiffText(changes, DisplayName(before), after + " (dry run)", std::cout);
    return changes.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace reuseblocks::tool
