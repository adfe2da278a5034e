// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TESTS_TEST_SUPPORT_H
#define REUSEBLOCKS_TESTS_TEST_SUPPORT_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "reuseblocks/reuseblocks.h"
#include "temporary_directory.h"

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        m_path = reuseblocks::test::MakeUniqueDirectory(std::filesystem::temp_directory_path(),
                                                        "reuseblocks-")
                     .string();
    }
    ~TempDir() {
        std::error_code ignored;
        // A test may have taken the write bit away to make writes fail.
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(std::string_view name) const { return m_path + "/" + std::string(name); }
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

// A block whose every value but its ID is "v", which any write carries and any load gives back.
inline CReuseBlock* AddPlainBlock(CReuseBlockFile& blocks, const char* id) {
    CReuseBlock* block = blocks.NewBlock(id);
    for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
        block->SetProperty(index, "v");
    }
    return block;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The line end WriteFile writes: CR LF on Windows, as the text-mode streams there do, LF elsewhere.
#if defined(_WIN32)
inline constexpr std::string_view kWrittenLineEnd = "\r\n";
#else
inline constexpr std::string_view kWrittenLineEnd = "\n";
#endif

// A file written by WriteFile with its line ends as LF, so that expectations read the same on
// every system. A lone LF where CR LF belongs shows as "<LF>" and fails the comparison.
inline std::string ReadWrittenFile(const std::string& path) {
    const std::string bytes = ReadFile(path);
    if (kWrittenLineEnd == "\n") return bytes;
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes.compare(i, kWrittenLineEnd.size(), kWrittenLineEnd) == 0) {
            text += '\n';
            i += kWrittenLineEnd.size() - 1;
        } else if (bytes[i] == '\n') {
            text += "<LF>\n";
        } else {
            text += bytes[i];
        }
    }
    return text;
}

inline void WriteText(const std::string& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The file's text with its first date line, which must have the asctime form and be followed by
// an empty line, replaced by a fixed one; any other form is left alone so comparisons fail.
inline std::string WithoutDate(std::string text) {
    static const std::regex date(
        "# Date: (Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
        "[ 123][0-9] [012][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}");
    const std::size_t begin = text.find("\n# Date: ");
    const std::size_t end = begin == std::string::npos ? begin : text.find('\n', begin + 1);
    if (end == std::string::npos || text.compare(end, 2, "\n\n") != 0 ||
        !std::regex_match(text.substr(begin + 1, end - begin - 1), date)) {
        return text;
    }
    return text.replace(begin + 1, end - begin - 1, "# Date: (date)");
}

// The blocks in walk order, one line each with the key and the twelve properties, then one line
// per layer-map row: compares whole collections in one assertion with a readable diff.
inline std::string Dump(CReuseBlockFile& blocks) {
    std::string text;
    CStringArray ids;
    blocks.GetBlocksIDs(ids);
    std::ptrdiff_t next = 0;
    for (POSITION pos = blocks.GetStartPosition(); pos; ++next) {
        const CReuseBlock* block = blocks.GetNext(pos);
        text.append(next < ids.GetSize() ? ids[next].GetView() : "(no key)").append(":");
        for (std::uint32_t p = 0; p < CReuseBlock::kPropertyCount; ++p) {
            text.append(" ").append(block->GetProperty(p).GetView());
        }
        text += '\n';
        for (std::uint32_t row = 0; row < block->GetLayerMapCount(); ++row) {
            text += "  map";
            for (std::uint32_t c = 0; c < CReuseBlock::kLayerMapColumnCount; ++c) {
                text.append(" ").append(block->GetLayerMap(row, c).GetView());
            }
            text += '\n';
        }
    }
    return text;
}

#endif  // REUSEBLOCKS_TESTS_TEST_SUPPORT_H
