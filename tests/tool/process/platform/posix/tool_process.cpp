// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "tool_process.h"

namespace reuseblocks::test {

namespace fs = std::filesystem;

ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const fs::path& directory) {
    TempDir capture;
    const std::string outPath = capture / "out";
    const std::string errPath = capture / "err";
    // Everything the child needs is prepared before fork: only system calls happen after it.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string dir = directory.string();

    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
        if (!dir.empty() && ::chdir(dir.c_str()) != 0) ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int wait = 0;
    if (::waitpid(child, &wait, 0) != child) throw std::runtime_error("waitpid failed");
    ToolRun run;
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
    return run;
}

EditLock::EditLock(const std::string& path) : m_handle(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (m_handle < 0 || ::flock(static_cast<int>(m_handle), LOCK_EX) != 0) {
        throw std::runtime_error("cannot lock " + path);
    }
}

EditLock::~EditLock() {
    ::close(static_cast<int>(m_handle));
}

}  // namespace reuseblocks::test
