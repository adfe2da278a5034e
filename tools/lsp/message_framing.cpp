// SPDX-License-Identifier: MIT
#include "lsp/message_framing.h"

#include <reuseblocks/ascii.h>

#include <limits>
#include <optional>

namespace reuseblocks::tool::lsp {

namespace {

constexpr std::size_t kLongestHeaderLine = 1024;

// A header line without its line end, cut at kLongestHeaderLine; false at the end of `in`
// before any byte.
bool ReadHeaderLine(std::istream& in, std::string& line) {
    line.clear();
    bool any = false;
    for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
        any = true;
        if (c == '\n') break;
        if (line.size() < kLongestHeaderLine) line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

constexpr std::string_view kHeaderName = "Content-Length:";

// Reads up to and including the next "Content-Length:" (in any letter case); false at the end.
bool SkipToHeader(std::istream& in) {
    std::size_t matched = 0;
    for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
        const char lower = ascii::ToLower(static_cast<char>(c));
        // The name's first letter is found nowhere else in it, so a mismatch restarts at it.
        if (lower == ascii::ToLower(kHeaderName[matched])) {
            if (++matched == kHeaderName.size()) return true;
        } else {
            matched = lower == ascii::ToLower(kHeaderName[0]) ? 1 : 0;
        }
    }
    return false;
}

// The value of a Content-Length header line: digits only; a larger number than any stream holds
// stays the largest.
std::optional<std::size_t> ContentLength(std::string_view line) {
    if (line.size() < kHeaderName.size() ||
        !ascii::EqualsIgnoringCase(line.substr(0, kHeaderName.size()), kHeaderName)) {
        return std::nullopt;
    }
    const std::string_view value = ascii::TrimSpace(line.substr(kHeaderName.size()));
    if (value.empty()) return std::nullopt;
    std::size_t length = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        if (length > (std::numeric_limits<std::size_t>::max() - 9) / 10) {
            return std::numeric_limits<std::size_t>::max();
        }
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    return length;
}

}  // namespace

Frame ReadFrame(std::istream& in, std::string& body) {
    body.clear();
    std::string line;
    std::optional<std::size_t> length;
    bool headers = false;
    for (;;) {
        if (!ReadHeaderLine(in, line)) return Frame::kEnd;
        if (!line.empty()) {
            headers = true;
            if (const auto found = ContentLength(line)) length = found;
            continue;
        }
        if (!headers) continue;  // blank lines between messages
        if (length && *length <= kMostMessageBytes) break;
        // No length, a bad one or one too large to hold: the next header is the next message.
        if (!SkipToHeader(in)) return Frame::kEnd;
        ReadHeaderLine(in, line);
        length = ContentLength(std::string(kHeaderName) + line);
    }
    body.resize(*length);
    in.read(body.data(), static_cast<std::streamsize>(*length));
    if (static_cast<std::size_t>(in.gcount()) != *length) return Frame::kEnd;
    return Frame::kMessage;
}

std::string Framed(std::string_view body) {
    std::string message = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    message += body;
    return message;
}

}  // namespace reuseblocks::tool::lsp
