// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TESTS_TEMPORARY_DIRECTORY_H
#define REUSEBLOCKS_TESTS_TEMPORARY_DIRECTORY_H

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace reuseblocks::test {

// A new, empty directory under `base` named `stem` and a random suffix; throws when none can be
// made. Portable stand-in for mkdtemp.
inline std::filesystem::path MakeUniqueDirectory(const std::filesystem::path& base,
                                                 const std::string& stem) {
    std::random_device device;
    std::mt19937_64 random(
        (std::uint64_t{device()} << 32) ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[20];
        std::snprintf(suffix, sizeof suffix, "%012llx",
                      static_cast<unsigned long long>(random() & 0xffffffffffffULL));
        const std::filesystem::path path = base / (stem + suffix);
        std::error_code error;
        if (std::filesystem::create_directory(path, error)) return path;
        if (error) break;
    }
    throw std::runtime_error("cannot make a directory under " + base.string());
}

}  // namespace reuseblocks::test

#endif  // REUSEBLOCKS_TESTS_TEMPORARY_DIRECTORY_H
