// SPDX-License-Identifier: MIT
#include "standard_streams.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

#include "files/atomic_file.h"
#include "files/cannot_write.h"
#include "platform/console.h"
#include "platform/random_source.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxNameAttempts = 64;
constexpr std::size_t kCopyBufferSize = std::size_t{1} << 16;

// A name no other process can guess, from the system's random source.
std::string RandomName() {
    unsigned char bytes[8] = {};
    if (!detail::platform::ReadRandomBytes(bytes, sizeof bytes)) {
        throw Failure("cannot name a temporary directory: no random source");
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = "reuseblocks-";
    for (const unsigned char byte : bytes) {
        name += kDigits[byte >> 4];
        name += kDigits[byte & 0xF];
    }
    return name;
}

// A directory only this user can enter, so that the copy of standard input (design data,
// perhaps) cannot be read by others; removed with its content when the process exits normally.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        if (error) throw Failure("no temporary directory: " + error.message());
        for (int attempt = 0; attempt < kMaxNameAttempts && m_path.empty(); ++attempt) {
            const std::string name = RandomName();
            // create_directory fails for an existing name, so an existing one is never reused.
            if (fs::create_directory(base / name, error)) m_path = base / name;
        }
        if (m_path.empty())
            throw Failure("cannot create a temporary directory in " + Quoted(base.string()));
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

// Everything `in` gives until its end, in a file of the private directory.
std::string CopyToScratch(std::FILE* in, const std::string& name, const std::string& what) {
    const std::string path = (Scratch().Path() / name).string();
    std::vector<char> buffer(kCopyBufferSize);
    try {
        AtomicFile copy(path);
        for (;;) {
            const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
            copy.Write(std::string_view(buffer.data(), got));
            if (got < buffer.size()) break;
        }
        if (std::ferror(in)) throw Failure("cannot read " + what);
        copy.Commit();
    } catch (const WriteError& failure) {
        if (std::ferror(in)) throw Failure("cannot read " + what);
        // The scratch copy is the tool's own business: say why, not where.
        throw Failure("cannot keep a copy of " + what + ": " + failure.Reason());
    }
    return path;
}

// A pipe or a terminal gives its bytes once, and the library and `check --strict` read a file
// more than once: such input is read as cat reads it (opening a pipe waits for its writer) into
// a file. Other devices are refused, for /dev/zero would never end.
std::string CopyOfDevice(const std::string& argument, std::size_t copies) {
    std::error_code error;
    const fs::file_status status = fs::status(argument, error);
    const bool device = fs::is_character_file(status) || fs::is_block_file(status);
    if (status.type() != fs::file_type::fifo &&
        !(device && detail::platform::IsTerminalDevice(argument))) {
        if (device) {
            throw Failure(Quoted(argument) +
                          " is a device, neither a file, a terminal nor a pipe; give a file, or - "
                          "for standard input");
        }
        return argument;
    }
    std::FILE* in = std::fopen(argument.c_str(), "rb");
    if (!in) return argument;  // the library says why
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closing(in, &std::fclose);
    return CopyToScratch(in, "input" + std::to_string(copies), Quoted(argument));
}

}  // namespace

bool IsStandardStream(const std::string& argument) {
    return argument == "-";
}

std::string ReadablePath(const std::string& argument) {
    static std::map<std::string, std::string> copies;  // later uses see the same bytes
    const auto found = copies.find(argument);
    if (found != copies.end()) return found->second;
    std::string path;
    if (IsStandardStream(argument)) {
        detail::platform::UseBinaryStandardStreams();
        path = CopyToScratch(stdin, "stdin", "standard input");
    } else {
        path = CopyOfDevice(argument, copies.size());
    }
    return copies.emplace(argument, path).first->second;
}

std::string DisplayName(const std::string& argument) {
    return IsStandardStream(argument) ? "<stdin>" : argument;
}

}  // namespace reuseblocks::tool
