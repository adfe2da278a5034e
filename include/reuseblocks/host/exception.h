// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_EXCEPTION_H
#define REUSEBLOCKS_HOST_EXCEPTION_H

#include <cstring>

#include "reuseblocks/export.h"

// The class library's exception base, for hosts that catch its way: `catch (CException* e) {
// e->Delete(); }`. The library raises by pointer only when it was built with
// REUSEBLOCKS_EXCEPTIONS_BY_POINTER (the CMake option of that name, which hands the definition on
// to every host through the target and the .pc file); otherwise it raises CInvalidArgException
// by value, for hosts that catch by reference, and such a pointer handler never runs. Running out
// of memory inside the library is std::bad_alloc either way; CMemoryException is for the host's
// own code (AfxThrowMemoryException).
class REUSEBLOCKS_API CException {
  public:
    // `autoDelete`: whether Delete frees the object, that is whether it was made with new.
    explicit CException(bool autoDelete = true) noexcept : m_autoDelete(autoDelete) {}
    CException(const CException&) = default;
    CException& operator=(const CException&) = default;
    virtual ~CException();

    // Frees an exception raised by pointer; does nothing to one raised by value. Call it once,
    // in the handler that ends the exception's flight.
    void Delete() noexcept {
        if (m_autoDelete) delete this;
    }

    // Copies the message into `buffer` of `maxError` bytes, cut to fit and NUL-terminated.
    // Nonzero when there is a message; `helpContext`, when given, receives 0.
    virtual int GetErrorMessage(char* buffer, unsigned int maxError,
                                unsigned int* helpContext = nullptr) const;

  protected:
    // The copy GetErrorMessage makes, for the derived classes' messages.
    static int CopyMessage(const char* message, char* buffer, unsigned int maxError,
                           unsigned int* helpContext) noexcept {
        if (helpContext) *helpContext = 0;
        if (!buffer || maxError == 0) return 0;
        std::size_t length = std::strlen(message);
        if (length >= maxError) length = maxError - 1;
        std::memcpy(buffer, message, length);
        buffer[length] = '\0';
        return 1;
    }

  private:
    bool m_autoDelete;
};

// Out of memory, as the class library reports it.
class REUSEBLOCKS_API CMemoryException : public CException {
  public:
    explicit CMemoryException(bool autoDelete = true) noexcept : CException(autoDelete) {}
    ~CMemoryException() override;
    int GetErrorMessage(char* buffer, unsigned int maxError,
                        unsigned int* helpContext = nullptr) const override;
};

// Raises CMemoryException: by pointer in a library built with REUSEBLOCKS_EXCEPTIONS_BY_POINTER,
// otherwise by value.
[[noreturn]] inline void AfxThrowMemoryException() {
#if defined(REUSEBLOCKS_EXCEPTIONS_BY_POINTER)
    throw new CMemoryException(true);
#else
    throw CMemoryException(false);
#endif
}

#endif  // REUSEBLOCKS_HOST_EXCEPTION_H
