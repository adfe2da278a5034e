// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TESTS_TOOL_TOOL_PROCESS_H
#define REUSEBLOCKS_TESTS_TOOL_TOOL_PROCESS_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace reuseblocks::test {

struct ToolRun {
    int status = -1;  // exit status, or -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs the built tool with `args`, in `directory` when one is given.
ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& directory = {});

// Runs any program the same way.
ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& directory = {});

std::string ReadText(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& text);

// Holds the lock the tool takes on a file it edits, as another edit in progress would, for the
// life of the object.
class EditLock {
  public:
    explicit EditLock(const std::string& path);
    ~EditLock();
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;

  private:
    std::intptr_t m_handle;
};

// A fresh directory, removed with everything in it at the end of the scope.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // With forward slashes on Windows too, so that messages quoting it need no escaped backslash.
    std::string operator/(const std::string& name) const {
        return (m_path / name).generic_string();
    }

  private:
    std::filesystem::path m_path;
};

}  // namespace reuseblocks::test

#endif  // REUSEBLOCKS_TESTS_TOOL_TOOL_PROCESS_H
