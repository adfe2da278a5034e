// SPDX-License-Identifier: MIT
#include "standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "terminal/progress_line.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

// Writes through the C stream stdout, which every platform has, keeping the first errno.
class CheckedBuffer : public std::streambuf {
  public:
    CheckedBuffer() { setp(m_buffer, m_buffer + sizeof m_buffer); }

    int Error() const { return m_error; }

  protected:
    int_type overflow(int_type c) override {
        if (!Drain()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    // Large pieces go out directly, without a copy through the buffer.
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        if (count < static_cast<std::streamsize>(sizeof m_buffer)) {
            return std::streambuf::xsputn(data, count);
        }
        if (!Drain()) return 0;
        ProgressLine::End();
        errno = 0;
        const auto size = static_cast<std::size_t>(count);
        if (std::fwrite(data, 1, size, stdout) != size) {
            Fail();
            return 0;
        }
        return count;
    }

    int sync() override {
        if (!Drain()) return -1;
        if (std::fflush(stdout) != 0) return Fail();
        return 0;
    }

  private:
    bool Drain() {
        if (m_error != 0) return false;
        const auto size = static_cast<std::size_t>(pptr() - pbase());
        setp(m_buffer, m_buffer + sizeof m_buffer);
        if (size > 0) ProgressLine::End();
        errno = 0;
        if (size > 0 && std::fwrite(m_buffer, 1, size, stdout) != size) {
            Fail();
            return false;
        }
        return true;
    }

    int Fail() {
        if (m_error == 0) m_error = errno != 0 ? errno : EIO;
        return -1;
    }

    char m_buffer[1 << 16];
    int m_error = 0;
};

CheckedBuffer* g_buffer = nullptr;

[[noreturn]] void ThrowWriteError() {
    const int error = g_buffer->Error() != 0 ? g_buffer->Error() : EIO;
    throw Failure(std::string("cannot write to standard output: ") + std::strerror(error));
}

}  // namespace

void SendToStandardOutput(std::string& text) {
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
    text.clear();
    ThrowIfStandardOutputFailed();
}

StandardOutputCheck::StandardOutputCheck() {
    g_buffer = new CheckedBuffer;
    // Unbuffered underneath, so a failed write returns its errno at once.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    m_original = std::cout.rdbuf(g_buffer);
}

StandardOutputCheck::~StandardOutputCheck() {
    std::cout.rdbuf(m_original);
    delete g_buffer;
    g_buffer = nullptr;
}

void ThrowIfStandardOutputFailed() {
    if (g_buffer && g_buffer->Error() != 0) ThrowWriteError();
}

void FinishStandardOutput() {
    if (!g_buffer) return;
    std::cout.flush();
    if (g_buffer->Error() != 0 || std::ferror(stdout)) ThrowWriteError();
}

}  // namespace reuseblocks::tool
