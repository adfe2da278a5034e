// SPDX-License-Identifier: MIT
#include "reuseblocks/host/invalid_arg_exception.h"

CInvalidArgException::~CInvalidArgException() = default;
