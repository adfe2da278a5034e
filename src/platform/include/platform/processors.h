// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_PROCESSORS_H
#define REUSEBLOCKS_PLATFORM_PROCESSORS_H

namespace reuseblocks::detail::platform {

// How many processors this process may run on: its affinity where the system has one (a program
// started with `taskset -c 0` gets 1), otherwise the processors online. At least 1.
unsigned UsableProcessors() noexcept;

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_PROCESSORS_H
