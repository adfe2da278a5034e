// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H
#define REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H

#include <cstring>
#include <stdexcept>

#include "reuseblocks/export.h"
#include "reuseblocks/host/exception.h"

// MSVC warns (C4275) that the base class is not exported. It needs no export: it comes from the
// standard library, which host and library must share anyway (see reuseblocks.h).
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4275)
#endif

// Raised for every index outside its valid range. Derives from std::invalid_argument so hosts
// that know nothing of the class-library names can still catch it. Exported, its type
// information included, so that a host catches what the library throws by this type.
//
// Raised by value unless the library was built with REUSEBLOCKS_EXCEPTIONS_BY_POINTER (see
// reuseblocks/host/exception.h); then by pointer, as an object that is a CException as well, so
// that both `catch (CInvalidArgException* e)` and `catch (CException* e)` take it, and
// e->Delete() frees it. This class itself keeps the layout it has always had, which is why it
// is not a CException: convert a caught CInvalidArgException* with dynamic_cast.
class REUSEBLOCKS_API CInvalidArgException : public std::invalid_argument {
  public:
    CInvalidArgException() : std::invalid_argument("invalid argument: index out of range") {}
    // Defined in the library, which makes it the one home of the type information.
    ~CInvalidArgException() override;

    // As CException's: frees an exception raised by pointer, leaves one raised by value alone.
    void Delete() noexcept {
        if (CException* heap = dynamic_cast<CException*>(this)) heap->Delete();
    }
    int GetErrorMessage(char* buffer, unsigned int maxError,
                        unsigned int* helpContext = nullptr) const {
        if (helpContext) *helpContext = 0;
        if (!buffer || maxError == 0) return 0;
        std::size_t length = std::strlen(what());
        if (length >= maxError) length = maxError - 1;
        std::memcpy(buffer, what(), length);
        buffer[length] = '\0';
        return 1;
    }
};

namespace reuseblocks {
// What is raised by pointer: a CInvalidArgException that is also a CException.
class REUSEBLOCKS_API InvalidArgExceptionByPointer : public CInvalidArgException,
                                                     public CException {
  public:
    InvalidArgExceptionByPointer() noexcept : CException(true) {}
    ~InvalidArgExceptionByPointer() override;
    using CException::Delete;
    int GetErrorMessage(char* buffer, unsigned int maxError,
                        unsigned int* helpContext = nullptr) const override {
        return CInvalidArgException::GetErrorMessage(buffer, maxError, helpContext);
    }
};
}  // namespace reuseblocks

#if defined(_MSC_VER)
#pragma warning(pop)
#endif

// Throws CInvalidArgException, by value or, in a library built with
// REUSEBLOCKS_EXCEPTIONS_BY_POINTER, by pointer; never returns.
[[noreturn]] inline void AfxThrowInvalidArgException() {
#if defined(REUSEBLOCKS_EXCEPTIONS_BY_POINTER)
    throw new reuseblocks::InvalidArgExceptionByPointer();
#else
    throw CInvalidArgException();
#endif
}

#endif  // REUSEBLOCKS_HOST_INVALID_ARG_EXCEPTION_H
