// SPDX-License-Identifier: MIT
#include "tool_process.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "temporary_directory.h"

namespace reuseblocks::test {

namespace fs = std::filesystem;

ToolRun RunTool(const std::vector<std::string>& args, const fs::path& directory) {
    return RunProgram(REUSEBLOCKS_TOOL, args, directory);
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

TempDir::TempDir() {
    m_path = MakeUniqueDirectory(fs::temp_directory_path(), "reuseblocks-tool-");
}

TempDir::~TempDir() {
    std::error_code ignored;  // a destructor cannot report; the directory is scratch space
    fs::remove_all(m_path, ignored);
}

}  // namespace reuseblocks::test
