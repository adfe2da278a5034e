// SPDX-License-Identifier: MIT
// The exception classes' out-of-line members, which make the library the one home of their type
// information.
#include "reuseblocks/host/exception.h"

#include "reuseblocks/host/invalid_arg_exception.h"

CException::~CException() = default;

int CException::GetErrorMessage(char* buffer, unsigned int maxError,
                                unsigned int* helpContext) const {
    return CopyMessage("unknown error", buffer, maxError, helpContext);
}

CMemoryException::~CMemoryException() = default;

int CMemoryException::GetErrorMessage(char* buffer, unsigned int maxError,
                                      unsigned int* helpContext) const {
    return CopyMessage("out of memory", buffer, maxError, helpContext);
}

reuseblocks::InvalidArgExceptionByPointer::~InvalidArgExceptionByPointer() = default;
