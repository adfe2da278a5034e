// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_COMPAT_H
#define REUSEBLOCKS_HOST_COMPAT_H

// The platform's everyday names for host code written against the class library and built
// elsewhere: _T and TEXT, TCHAR and its pointers, BOOL, UINT, INT_PTR, DWORD. Optional: include
// it yourself where such code needs it; the library's own headers never do. Text is 8-bit, as
// the library's CString is: _T("x") is "x".
//
// Each name is defined only when nothing has defined it yet, so that this header may come
// before or after the platform's own, e.g. <windows.h>, which defines all of them itself.

#include <cstdint>

#if defined(_WIN32)
// The platform's own definitions, so that no name here differs from the one code sees elsewhere.
#include <tchar.h>
#include <windows.h>
#else

#ifndef _T
#define _T(text) text
#endif
#ifndef TEXT
#define TEXT(text) text
#endif

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// reuseblocks/host/cstring.h defines TCHAR, LPCTSTR and LPTSTR for 8-bit builds already; the
// guard keeps one definition of each.
#ifndef REUSEBLOCKS_HOST_COMPAT_TYPES
#define REUSEBLOCKS_HOST_COMPAT_TYPES
typedef int BOOL;
typedef unsigned int UINT;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::uint32_t DWORD;
#endif

#endif  // _WIN32

#include "reuseblocks/host/cstring.h"

#endif  // REUSEBLOCKS_HOST_COMPAT_H
