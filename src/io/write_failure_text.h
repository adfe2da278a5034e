// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_WRITE_FAILURE_TEXT_H
#define REUSEBLOCKS_IO_WRITE_FAILURE_TEXT_H

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace reuseblocks::detail {

// The message of a write the system refused, the path named once and escaped:
//   cannot write "out.blocks": No space left on device (while flushing)
//   cannot write "out.blocks": it links to "gone/out.blocks", in a folder that does not exist
//   (while opening)
std::string WriteFailureText(const char* path, const platform::OutputFailure& failure);

// Appends `text` in double quotes, control bytes and quotes escaped so that a message stays one
// line whatever a path holds.
void AppendQuoted(std::string& message, std::string_view text);

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_WRITE_FAILURE_TEXT_H
