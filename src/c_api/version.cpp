// SPDX-License-Identifier: MIT
// The version and the status names through the C interface.
#include "reuseblocks/reuseblocks_c.h"

extern "C" {

uint32_t rb_version_number(void) {
    return RB_VERSION;
}

const char* rb_version_string(void) {
    return RB_VERSION_STRING;
}

const char* rb_status_name(rb_status status) {
    switch (status) {
        case RB_OK:
            return "RB_OK";
        case RB_ERROR_ARGUMENT:
            return "RB_ERROR_ARGUMENT";
        case RB_ERROR_NO_MEMORY:
            return "RB_ERROR_NO_MEMORY";
        case RB_ERROR_NOT_FOUND:
            return "RB_ERROR_NOT_FOUND";
        case RB_ERROR_NAME_TAKEN:
            return "RB_ERROR_NAME_TAKEN";
        case RB_ERROR_LOAD:
            return "RB_ERROR_LOAD";
        case RB_ERROR_WRITE:
            return "RB_ERROR_WRITE";
        case RB_ERROR_INTERNAL:
            return "RB_ERROR_INTERNAL";
        default:
            return "RB_UNKNOWN";
    }
}

}  // extern "C"
