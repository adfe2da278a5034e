// SPDX-License-Identifier: MIT
#include <new>

#include "reuseblocks/host/cstring.h"

namespace reuseblocks::detail {

char* AllocateStringStorage(std::size_t bytes) noexcept {
    return static_cast<char*>(::operator new(bytes, std::nothrow));
}

void FreeStringStorage(char* data) noexcept {
    ::operator delete(data);
}

}  // namespace reuseblocks::detail
