// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FILES_ATOMIC_FILE_H
#define REUSEBLOCKS_TOOLS_FILES_ATOMIC_FILE_H

#include <memory>
#include <string>
#include <string_view>

namespace reuseblocks::detail::platform {
class OutputTarget;
}

namespace reuseblocks::tool {

// The one way the tool writes a file of its own (a picture, the copy of standard input): through
// the library's platform layer, exactly as the library writes a blocks file. The text goes to a
// new file in the target's folder, flushed and renamed over the target, keeping its permission
// bits, so that a full disk or a kill leaves the old file whole and another name of it unchanged;
// what cannot be replaced (a FIFO, /dev/stdout) is written in place. "-" is standard output.
class AtomicFile {
  public:
    // Throws WriteError (files/cannot_write.h) when `path` cannot be written; nothing has
    // changed then.
    explicit AtomicFile(std::string path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();  // without Commit: the target keeps its old content

    void Write(std::string_view text);
    // Puts the text in the target's place; throws WriteError when that fails.
    void Commit();

  private:
    // Throws the target's failure, its step and the system's error.
    [[noreturn]] void Fail() const;

    std::string m_path;
    std::unique_ptr<detail::platform::OutputTarget> m_target;  // none for standard output
    bool m_whole = false;  // the target needs the whole text at once
    std::string m_text;
};

// `text` as the whole content of `path`, through an AtomicFile.
void WriteWholeFile(const std::string& path, std::string_view text);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FILES_ATOMIC_FILE_H
