#ifndef REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H
#define REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H

#include <stdexcept>

#include "reuseblocks/export.h"

// Raised for every index outside its valid range. Derives from std::invalid_argument so hosts
// that know nothing of the class-library names can still catch it.
class REUSEBLOCKS_VISIBLE_TYPE CInvalidArgException : public std::invalid_argument {
  public:
    CInvalidArgException() : std::invalid_argument("invalid argument: index out of range") {}
};

// Throws CInvalidArgException by value; never returns.
[[noreturn]] inline void AfxThrowInvalidArgException() {
    throw CInvalidArgException();
}

#endif  // REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H
