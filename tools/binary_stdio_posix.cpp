// SPDX-License-Identifier: MIT
#include "binary_stdio.h"

namespace reuseblocks::tool {

// POSIX streams have no text mode.
void UseBinaryStandardStreams() {}

}  // namespace reuseblocks::tool
