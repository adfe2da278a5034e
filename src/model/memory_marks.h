// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_MODEL_MEMORY_MARKS_H
#define REUSEBLOCKS_MODEL_MEMORY_MARKS_H

#include <cstddef>

// Tells AddressSanitizer and valgrind which memory the library holds but nobody may touch, so
// that a host writing through a stale pointer into it is caught at that very access instead of
// corrupting the library's bookkeeping. Without either tool every mark is a no-op.

#if defined(__SANITIZE_ADDRESS__)
#define REUSEBLOCKS_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define REUSEBLOCKS_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(REUSEBLOCKS_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif
#if defined(REUSEBLOCKS_HAVE_VALGRIND_MEMCHECK_H)
#include <valgrind/memcheck.h>
#endif

namespace reuseblocks::detail {

enum class MemoryAccess {
    kNone,       // no access at all until marked otherwise
    kUndefined,  // usable, its content not yet set
    kDefined,    // usable, with content the library wrote earlier
};

inline void MarkMemory(const void* memory, std::size_t bytes, MemoryAccess access) noexcept {
#if defined(REUSEBLOCKS_ADDRESS_SANITIZER)
    if (access == MemoryAccess::kNone) {
        ASAN_POISON_MEMORY_REGION(memory, bytes);
    } else {
        ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
    }
#endif
#if defined(REUSEBLOCKS_HAVE_VALGRIND_MEMCHECK_H)
    switch (access) {
        case MemoryAccess::kNone:
            VALGRIND_MAKE_MEM_NOACCESS(memory, bytes);
            break;
        case MemoryAccess::kUndefined:
            VALGRIND_MAKE_MEM_UNDEFINED(memory, bytes);
            break;
        case MemoryAccess::kDefined:
            VALGRIND_MAKE_MEM_DEFINED(memory, bytes);
            break;
    }
#endif
    static_cast<void>(memory);
    static_cast<void>(bytes);
    static_cast<void>(access);
}

inline void MarkNoAccess(const void* memory, std::size_t bytes) noexcept {
    MarkMemory(memory, bytes, MemoryAccess::kNone);
}
inline void MarkUndefined(const void* memory, std::size_t bytes) noexcept {
    MarkMemory(memory, bytes, MemoryAccess::kUndefined);
}
inline void MarkDefined(const void* memory, std::size_t bytes) noexcept {
    MarkMemory(memory, bytes, MemoryAccess::kDefined);
}

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_MEMORY_MARKS_H
