// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_EDIT_EDIT_SESSION_H
#define REUSEBLOCKS_TOOLS_EDIT_EDIT_SESSION_H

#include <reuseblocks/reuseblocks.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/file_lock.h"

namespace reuseblocks::tool {

// Where an edited or newly made collection goes.
struct WriteOptions {
    std::string output;  // empty: back to the file that was read; "-": standard output
    std::string app = "reuseblocks";
    bool appGiven = false;  // --app given: an edit then rewrites the header's application and date
    bool force = false;     // write values that would not read back the same
    bool noWait = false;    // fail instead of waiting for another edit of the file written over
    bool dryRun = false;    // show what the write would change instead, as `diff` does
};

// The lock every command takes on a blocks file it is about to write over, before it reads
// anything: the file's, not the name's, so that ./f and /abs/f take the same one. Waits for
// another holder, or with `noWait` fails (status 1). An empty lock when there is nothing to lock
// (no such file yet, not a regular file, a file system without locks).
detail::platform::FileLock LockToWriteOver(const std::string& path, bool noWait);

// Runs a command that writes a blocks file. In a dry run it exits as `diff` does, and a failure
// is trouble (status 2), since 1 means "would change".
int WithDryRunStatuses(const WriteOptions& write, const std::function<int()>& command);

// The one way a command changes a blocks file: lock, load, change, check that every value reads
// back the same, write, report. The lock is the one of the file the write replaces (the file
// read, or -o's when it exists), by the file's identity, not its name, and held from before
// anything is read to the end of the write, so that every command writing over one file takes
// turns with the others; the library writes the file atomically; a failure ends the command
// before the file changes.
//
// An edit of a file keeps the file's own text: the library writes the edit into it, and every
// line the edit did not change stays as it was. An edit that changes nothing writes nothing.
// Only `format` and new collections are written whole, under a fresh header.
class EditSession {
  public:
    // Locks the file the write replaces, then loads `file` ("-": standard input, and then
    // standard output by default); the write keeps its text.
    EditSession(const std::string& file, const WriteOptions& write);
    // A new collection, for commands that make a file from others: nothing is loaded; the file
    // -o names is locked when it exists, before the command reads its inputs.
    explicit EditSession(const WriteOptions& write);
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    // The whole collection, to change as the command likes.
    CReuseBlockFile& Blocks() {
        m_onlyHandedOutBlocks = false;
        return m_blocks;
    }
    // The block under `id`; an unknown ID is a usage error. A command that changes its file only
    // through these blocks lets Write tell a change from none without reading the file again.
    CReuseBlock& Block(const std::string& id);
    // How the file edited is named in messages.
    const std::string& File() const { return m_file; }
    // Counts the comment lines of `input`, one more file the collection was read from, that the
    // write will drop, so that Write can say so first.
    void NoteCommentsOf(const std::string& input);
    // The write keeps the text of `input`, the file it replaces (already locked as -o's). Its
    // blocks keep their lines, the others go after them.
    void KeepTextOf(const std::string& input);
    // The write makes a whole new file under a fresh header, as `format` does.
    void StartAfresh();

    // Writes every block to the destination and returns the command's exit status. Unless
    // --force, a collection holding values that would not read back the same is refused first,
    // each value named. A dry run writes nothing: it prints how the destination would change,
    // as `diff` prints it, and returns diff's status (0 the same, 1 different).
    int Write();

  private:
    // A block as Block first handed it out: its properties, then its rows' columns.
    struct HandedOut {
        const CReuseBlock* block;
        std::vector<std::string> values;
    };

    bool ChangesNothing() const;
    int ShowWhatWouldChange(const std::string& path);
    int WriteIntoText(const std::string& path);
    int WriteTextToStandardOutput();

    std::string m_file;
    const WriteOptions& m_write;
    detail::platform::FileLock m_lock;
    CReuseBlockFile m_blocks;
    CReuseBlockFile m_loaded;  // a dry run's copy of the file as it was read
    std::string m_text;        // the file whose text the write keeps; empty: written whole
    std::size_t m_comments = 0;
    std::string m_commentedFile;         // the first file with comments a write drops
    bool m_onlyHandedOutBlocks = false;  // the text was read and Blocks() never handed out
    std::vector<HandedOut> m_handedOut;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_EDIT_EDIT_SESSION_H
