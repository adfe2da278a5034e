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

// No access at all until marked otherwise.
inline void MarkNoAccess(const void* memory, std::size_t bytes) noexcept {
#if defined(REUSEBLOCKS_ADDRESS_SANITIZER)
    ASAN_POISON_MEMORY_REGION(memory, bytes);
#endif
#if defined(REUSEBLOCKS_HAVE_VALGRIND_MEMCHECK_H)
    VALGRIND_MAKE_MEM_NOACCESS(memory, bytes);
#endif
    static_cast<void>(memory);
    static_cast<void>(bytes);
}

// Usable, its content not yet set.
inline void MarkUndefined(const void* memory, std::size_t bytes) noexcept {
#if defined(REUSEBLOCKS_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
#endif
#if defined(REUSEBLOCKS_HAVE_VALGRIND_MEMCHECK_H)
    VALGRIND_MAKE_MEM_UNDEFINED(memory, bytes);
#endif
    static_cast<void>(memory);
    static_cast<void>(bytes);
}

// Usable, with content the library wrote earlier.
inline void MarkDefined(const void* memory, std::size_t bytes) noexcept {
#if defined(REUSEBLOCKS_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
#endif
#if defined(REUSEBLOCKS_HAVE_VALGRIND_MEMCHECK_H)
    VALGRIND_MAKE_MEM_DEFINED(memory, bytes);
#endif
    static_cast<void>(memory);
    static_cast<void>(bytes);
}

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_MODEL_MEMORY_MARKS_H
