// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TESTS_FAULT_FAULT_SUPPORT_H
#define REUSEBLOCKS_TESTS_FAULT_FAULT_SUPPORT_H

#include <dirent.h>

#include <string>

#include "harness_support.h"
#include "test_support.h"

namespace fault {

using ScratchDir = ::TempDir;

inline std::string ReadBytes(const std::string& path) {
    return ::ReadFile(path);
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
