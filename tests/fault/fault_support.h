#ifndef REUSEBLOCKS_TESTS_FAULT_FAULT_SUPPORT_H
#define REUSEBLOCKS_TESTS_FAULT_FAULT_SUPPORT_H

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "harness_support.h"

namespace fault {

// A fresh directory, removed with everything in it (permissions restored first).
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "reuseblocks-fault-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // The names in the directory, sorted; a temporary file left behind shows up here.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::string m_path;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    harness::WriteBytes(path, bytes.data(), bytes.size());
}

// Open file descriptors of this process; opendir and readdir use malloc, not operator new.
inline int OpenDescriptors() {
    DIR* directory = ::opendir("/proc/self/fd");
    if (!directory) return -1;
    int count = 0;
    while (::readdir(directory)) ++count;
    ::closedir(directory);
    return count;
}

// The written file without its date line, which changes from one second to the next.
inline std::string WithoutDateLine(const std::string& text) {
    const std::size_t start = text.find("\n# Date: ");
    if (start == std::string::npos) return text;
    const std::size_t end = text.find('\n', start + 1);
    return text.substr(0, start) + text.substr(end);
}

}  // namespace fault

#endif  // REUSEBLOCKS_TESTS_FAULT_FAULT_SUPPORT_H
