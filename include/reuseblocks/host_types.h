// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_TYPES_H
#define REUSEBLOCKS_HOST_TYPES_H

// The string and collection types that cross the library's interface. They live in the global
// namespace under the names of the class library hosts are written against, so host code
// written for that library compiles unchanged. Where the class library leaves a bad index
// undefined or writes past a buffer, these throw CInvalidArgException and change nothing.
// reuseblocks/reuseblocks.h states what they promise about threads, memory and errno.
#include "reuseblocks/host/cstring.h"
#include "reuseblocks/host/cstring_array.h"
#include "reuseblocks/host/cstring_list.h"
#include "reuseblocks/host/invalid_arg_exception.h"
#include "reuseblocks/host/map_string_to_ptr.h"
#include "reuseblocks/host/position.h"

#endif  // REUSEBLOCKS_HOST_TYPES_H
