#ifndef REUSEBLOCKS_EXPORT_H
#define REUSEBLOCKS_EXPORT_H

// The library is built with hidden visibility; only what carries this macro is exported.
// REUSEBLOCKS_STATIC compiles the library into another binary (the Python extension) that exports
// none of it, so that it cannot clash with a shared copy loaded into the same process.
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

#endif  // REUSEBLOCKS_EXPORT_H
