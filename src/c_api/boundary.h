// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_C_API_BOUNDARY_H
#define REUSEBLOCKS_C_API_BOUNDARY_H

#include <new>

#include "reuseblocks/reuseblocks.h"
#include "reuseblocks/reuseblocks_c.h"

namespace reuseblocks::c_api {

// Runs `body`, which returns an rb_status, and turns whatever it throws into one: no exception
// may unwind into a caller that is not C++, or is C++ built with another compiler.
template <typename Body>
rb_status Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return RB_ERROR_NO_MEMORY;
    } catch (const CInvalidArgException&) {
        return RB_ERROR_ARGUMENT;
    } catch (...) {
        return RB_ERROR_INTERNAL;
    }
}

// The C handles are the C++ objects themselves.
inline CReuseBlockFile* FromHandle(rb_collection* collection) noexcept {
    return reinterpret_cast<CReuseBlockFile*>(collection);
}
inline const CReuseBlockFile* FromHandle(const rb_collection* collection) noexcept {
    return reinterpret_cast<const CReuseBlockFile*>(collection);
}
inline CReuseBlock* FromHandle(rb_block* block) noexcept {
    return reinterpret_cast<CReuseBlock*>(block);
}
inline const CReuseBlock* FromHandle(const rb_block* block) noexcept {
    return reinterpret_cast<const CReuseBlock*>(block);
}
inline rb_block* ToHandle(CReuseBlock* block) noexcept {
    return reinterpret_cast<rb_block*>(block);
}

// A CString handed out as text and length; its bytes end in a NUL after the length.
inline rb_status HandOut(const CString& value, const char** text, std::size_t* length) noexcept {
    if (!text) return RB_ERROR_ARGUMENT;
    *text = value.GetString();
    if (length) *length = static_cast<std::size_t>(value.GetLength());
    return RB_OK;
}

}  // namespace reuseblocks::c_api

#endif  // REUSEBLOCKS_C_API_BOUNDARY_H
