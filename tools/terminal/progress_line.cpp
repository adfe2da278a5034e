// SPDX-License-Identifier: MIT
#include "progress_line.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "platform/console.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

namespace {

ProgressLine* g_progress = nullptr;

// Wider lines would wrap, and a wrapped line cannot be redrawn in place.
constexpr std::size_t kWidth = 79;

long long Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Negative: never.
double DelayFromEnvironment() {
    const char* text = std::getenv("REUSEBLOCKS_PROGRESS_DELAY");
    if (text == nullptr || *text == '\0') return 2.0;
    if (std::string_view(text) == "never") return -1.0;
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (*end != '\0' || !(seconds >= 0.0) || seconds > 86400.0) return 2.0;
    return seconds;
}

// At most kWidth bytes, cut before a UTF-8 continuation byte.
std::string Fitted(std::string line) {
    if (line.size() <= kWidth) return line;
    std::size_t cut = kWidth - 3;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    return line.substr(0, cut) + "...";
}

void WriteOnStandardError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

ProgressLine::ProgressLine() : m_delay(DelayFromEnvironment()) {
    if (m_delay < 0.0 || !detail::platform::StandardErrorIsTerminal()) return;
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        return;  // no thread to spare: the work goes on without the line
    }
    g_progress = this;
}

ProgressLine::~ProgressLine() {
    if (g_progress != this) return;
    End();
    m_thread.join();
    g_progress = nullptr;
}

void ProgressLine::Step(std::string step) {
    if (g_progress == nullptr) return;
    const std::lock_guard<std::mutex> lock(g_progress->m_mutex);
    g_progress->m_step = std::move(step);
    g_progress->m_stepStart = Now();
    g_progress->m_wake.notify_all();  // without a delay, the line shows at once
}

void ProgressLine::End() {
    if (g_progress == nullptr) return;
    const std::lock_guard<std::mutex> lock(g_progress->m_mutex);
    g_progress->EndLocked();
}

void ProgressLine::EndLocked() {
    if (m_ended) return;
    m_ended = true;
    if (m_shown) WriteOnStandardError("\r\x1b[K");
    m_wake.notify_all();
}

void ProgressLine::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_ended) {
        m_wake.wait_for(lock, std::chrono::milliseconds(250));
        if (m_ended || m_step.empty()) continue;
        const long long ran = Now() - m_stepStart;
        if (static_cast<double>(ran) < m_delay * 1000.0) continue;
        const std::string line = Fitted("reuseblocks: " + EscapeForDisplay(m_step) + " (" +
                                        std::to_string(ran / 1000) + " s)");
        WriteOnStandardError("\r" + line + "\x1b[K");
        m_shown = true;
    }
}

}  // namespace reuseblocks::tool
