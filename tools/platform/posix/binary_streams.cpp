// SPDX-License-Identifier: MIT
#include "platform/binary_streams.h"

namespace reuseblocks::tool {

// POSIX streams have no text mode.
void UseBinaryStandardStreams() {}

}  // namespace reuseblocks::tool
