// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H
#define REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H

#include <stdexcept>

#include "reuseblocks/export.h"

// MSVC warns (C4275) that the base class is not exported. It needs no export: it comes from the
// standard library, which host and library must share anyway (see reuseblocks.h).
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4275)
#endif

// Raised for every index outside its valid range. Derives from std::invalid_argument so hosts
// that know nothing of the class-library names can still catch it. Exported, its type
// information included, so that a host catches what the library throws by this type.
class REUSEBLOCKS_API CInvalidArgException : public std::invalid_argument {
  public:
    CInvalidArgException() : std::invalid_argument("invalid argument: index out of range") {}
    // Defined in the library, which makes it the one home of the type information.
    ~CInvalidArgException() override;
};

#if defined(_MSC_VER)
#pragma warning(pop)
#endif

// Throws CInvalidArgException by value; never returns.
[[noreturn]] inline void AfxThrowInvalidArgException() {
    throw CInvalidArgException();
}

#endif  // REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H
