// SPDX-License-Identifier: MIT
#include "standard_streams.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <vector>

#include "binary_stdio.h"
#include "standard_output.h"
#include "tool_error.h"

namespace reuseblocks::tool {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxNameAttempts = 64;
constexpr std::size_t kCopyBufferSize = std::size_t{1} << 16;

ToolError Failure(const std::string& message) {
    return ToolError(kExitFailure, "reuseblocks: error: " + message);
}

// A directory only this user can enter, so that the copy of standard input (design data,
// perhaps) cannot be read by others; removed with its content when the process exits normally.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::random_device entropy;
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        if (error) throw Failure("no temporary directory: " + error.message());
        for (int attempt = 0; attempt < kMaxNameAttempts && m_path.empty(); ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "reuseblocks-%08x%08x", entropy(), entropy());
            // create_directory fails for an existing name, so an existing one is never reused.
            if (fs::create_directory(base / name, error)) m_path = base / name;
        }
        if (m_path.empty())
            throw Failure("cannot create a temporary directory in " + base.string());
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::replace, error);
        if (error) {
            Remove();
            throw Failure("cannot protect a temporary directory: " + error.message());
        }
    }
    ~ScratchDirectory() { Remove(); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    fs::path Path() const { return m_path; }

  private:
    void Remove() noexcept {
        std::error_code ignored;  // nothing can be reported at exit; the directory is scratch
        if (!m_path.empty()) fs::remove_all(m_path, ignored);
    }

    fs::path m_path;
};

ScratchDirectory& Scratch() {
    static ScratchDirectory directory;
    return directory;
}

std::string CopyStandardInput() {
    UseBinaryStandardStreams();
    const std::string path = ScratchPath("stdin");
    std::ofstream out(path, std::ios::binary);
    std::vector<char> buffer(kCopyBufferSize);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), stdin);
        out.write(buffer.data(), static_cast<std::streamsize>(got));
        if (got < buffer.size()) break;
    }
    if (std::ferror(stdin)) throw Failure("cannot read standard input");
    if (!out.flush()) throw Failure("cannot copy standard input to " + path);
    return path;
}

}  // namespace

bool IsStandardStream(const std::string& argument) {
    return argument == "-";
}

std::string ReadablePath(const std::string& argument) {
    if (!IsStandardStream(argument)) return argument;
    static const std::string copy = CopyStandardInput();
    return copy;
}

std::string DisplayName(const std::string& argument) {
    return IsStandardStream(argument) ? "<stdin>" : argument;
}

std::string ScratchPath(const std::string& name) {
    return (Scratch().Path() / name).string();
}

void CopyToStandardOutput(const std::string& path) {
    UseBinaryStandardStreams();
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure("cannot read " + path);
    std::vector<char> buffer(kCopyBufferSize);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        std::cout.write(buffer.data(), in.gcount());
    }
    if (in.bad()) throw Failure("cannot read " + path);
    FinishStandardOutput();  // a full disk or a closed pipe fails the command
}

}  // namespace reuseblocks::tool
