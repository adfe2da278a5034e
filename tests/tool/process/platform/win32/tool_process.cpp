// SPDX-License-Identifier: MIT
#include <windows.h>

#include <stdexcept>

#include "tool_process.h"

namespace reuseblocks::test {

namespace fs = std::filesystem;

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// One argument as the C runtime's command-line parser will split it back out: quotes around it
// when needed, a quote inside escaped, and backslashes doubled only before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

struct Handle {
    HANDLE value = INVALID_HANDLE_VALUE;
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE && value != nullptr) ::CloseHandle(value);
    }
};

// Standard input at its end, as /dev/null gives it on POSIX. Without a handle, a program that
// reads standard input (lsp) waits under Wine for a console that never types.
HANDLE InheritableEmptyInput() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE InheritableOutput(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What a Windows program writes to a text stream ends its lines with CR LF; the expectations
// are written with LF.
std::string TextFromConsoleStream(std::string text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

}  // namespace

ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const fs::path& directory) {
    TempDir capture;
    const std::string outPath = capture / "out";
    const std::string errPath = capture / "err";
    ToolRun run;
    {
        Handle out{InheritableOutput(outPath)};
        Handle err{InheritableOutput(errPath)};
        Handle in{InheritableEmptyInput()};
        if (out.value == INVALID_HANDLE_VALUE || err.value == INVALID_HANDLE_VALUE ||
            in.value == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot create the capture files");
        }
        const std::wstring application = Widen(program);
        std::wstring line;
        AppendQuoted(line, application);
        for (const std::string& arg : args) {
            line += L' ';
            AppendQuoted(line, Widen(arg));
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in.value;
        startup.hStdOutput = out.value;
        startup.hStdError = err.value;
        PROCESS_INFORMATION process{};
        const std::wstring dir = directory.empty() ? std::wstring() : directory.wstring();
        // Wine now and then refuses a start while its server is busy; a real failure repeats.
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt) {
            if (attempt > 0) ::Sleep(200);
            started = ::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                                       CREATE_NO_WINDOW, nullptr,
                                       dir.empty() ? nullptr : dir.c_str(), &startup, &process);
        }
        if (!started) {
            throw std::runtime_error("cannot start " + program + " (error " +
                                     std::to_string(::GetLastError()) + ")");
        }
        Handle child{process.hProcess};
        Handle thread{process.hThread};
        DWORD status = 0;
        if (::WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
            !::GetExitCodeProcess(process.hProcess, &status)) {
            throw std::runtime_error("cannot wait for " + program);
        }
        run.status = static_cast<int>(status);
    }
    run.out = TextFromConsoleStream(ReadText(outPath));
    run.err = TextFromConsoleStream(ReadText(errPath));
    return run;
}

EditLock::EditLock(const std::string& path)
    : m_handle(reinterpret_cast<std::intptr_t>(::CreateFileW(
          Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
    OVERLAPPED where{};
    where.OffsetHigh = 0x7FFFFFFF;  // the byte the tool locks, beyond any file's end
    const HANDLE file = reinterpret_cast<HANDLE>(m_handle);
    if (file == INVALID_HANDLE_VALUE ||
        !::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where)) {
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        throw std::runtime_error("cannot lock " + path);
    }
}

EditLock::~EditLock() {
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));  // closing releases the lock
}

}  // namespace reuseblocks::test
