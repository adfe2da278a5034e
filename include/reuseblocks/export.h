// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_EXPORT_H
#define REUSEBLOCKS_EXPORT_H

// The library is built with hidden visibility; only what carries this macro is exported.
// REUSEBLOCKS_STATIC (set by the CMake target and the .pc file of a static build, and by the Python
// extension, which compiles the library in) exports nothing, so that the code stays private to the
// binary that links it and cannot clash with a shared copy loaded into the same process.
#if defined(REUSEBLOCKS_STATIC)
#define REUSEBLOCKS_API
#elif defined(_WIN32)
#if defined(REUSEBLOCKS_BUILDING_LIBRARY)
#define REUSEBLOCKS_API __declspec(dllexport)
#else
#define REUSEBLOCKS_API __declspec(dllimport)
#endif
#elif defined(__GNUC__) || defined(__clang__)
#define REUSEBLOCKS_API __attribute__((visibility("default")))
#else
#define REUSEBLOCKS_API
#endif

// Types defined wholly in the headers whose identity must be shared across the library boundary
// (an exception type caught by the host) need their type information visible, not exported code.
#if defined(REUSEBLOCKS_STATIC)
#define REUSEBLOCKS_VISIBLE_TYPE
#elif defined(__GNUC__) || defined(__clang__)
#define REUSEBLOCKS_VISIBLE_TYPE __attribute__((visibility("default")))
#else
#define REUSEBLOCKS_VISIBLE_TYPE
#endif

// Lets GCC and Clang check the arguments of a printf-style member (the indexes count
// `this` as 1). MinGW-w64's GCC would otherwise check against the old Microsoft runtime's
// formats, while its C++ library prints with the C99 ones.
#if defined(__MINGW32__) && defined(__GNUC__) && !defined(__clang__)
#define REUSEBLOCKS_PRINTF_FORMAT(formatIndex, firstIndex) \
    __attribute__((format(gnu_printf, formatIndex, firstIndex)))
#elif defined(__GNUC__) || defined(__clang__)
#define REUSEBLOCKS_PRINTF_FORMAT(formatIndex, firstIndex) \
    __attribute__((format(printf, formatIndex, firstIndex)))
#else
#define REUSEBLOCKS_PRINTF_FORMAT(formatIndex, firstIndex)
#endif

#endif  // REUSEBLOCKS_EXPORT_H
