// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_MESSAGE_FRAMING_H
#define REUSEBLOCKS_TOOLS_LSP_MESSAGE_FRAMING_H

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

namespace reuseblocks::tool::lsp {

// The largest message read: a blocks file of a million blocks is about 100 MB, sent as JSON.
inline constexpr std::size_t kMostMessageBytes = std::size_t{256} << 20;

enum class Frame {
    kMessage,  // a body was read
    kEnd,      // the stream ended
};

// Reads the next message of `in`: header lines up to an empty one, then Content-Length bytes.
// Header lines longer than any real one are cut. A header without a usable Content-Length (none,
// not a number, more than kMostMessageBytes) is followed by bytes of unknown length: reading goes
// on at the next "Content-Length:", so that no input holds more memory than the largest message
// allowed and none makes the server wait for bytes that will never come.
Frame ReadFrame(std::istream& in, std::string& body);

// `body` with its header.
std::string Framed(std::string_view body);

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_MESSAGE_FRAMING_H
