// SPDX-License-Identifier: MIT
#include <ctime>

#include "platform/file_system.h"

namespace reuseblocks::detail::platform {

bool LocalTime(std::time_t when, std::tm& local) noexcept {
    std::tm converted{};
    if (!::localtime_r(&when, &converted)) return false;
    local = converted;
    return true;
}

}  // namespace reuseblocks::detail::platform
