// SPDX-License-Identifier: MIT
// A block's properties through the C interface, by index and by field name.
#include <string_view>

#include "c_api/boundary.h"

using reuseblocks::c_api::FromHandle;
using reuseblocks::c_api::Guarded;
using reuseblocks::c_api::HandOut;

namespace {

bool PropertyIndex(const char* name, std::uint32_t& index) noexcept {
    if (!name) return false;
    const auto property = reuseblocks::FindProperty(std::string_view(name));
    if (!property) return false;
    index = static_cast<std::uint32_t>(*property);
    return true;
}

}  // namespace

extern "C" {

rb_status rb_block_get_property(const rb_block* block, uint32_t index, const char** text,
                                size_t* length) {
    if (!block || index >= CReuseBlock::kPropertyCount) return RB_ERROR_ARGUMENT;
    return HandOut(FromHandle(block)->GetPropertyRef(index), text, length);
}

rb_status rb_block_set_property_bytes(rb_block* block, uint32_t index, const char* text,
                                      size_t length) {
    if (!block || index >= CReuseBlock::kPropertyCount || (!text && length > 0))
        return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        CString value(std::string_view(text ? text : "", length));
        FromHandle(block)->GetProperty(index) = std::move(value);
        return RB_OK;
    });
}

rb_status rb_block_set_property(rb_block* block, uint32_t index, const char* text) {
    if (!block || index >= CReuseBlock::kPropertyCount) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        FromHandle(block)->SetProperty(index, text);
        return RB_OK;
    });
}

rb_status rb_block_get_property_by_name(const rb_block* block, const char* name, const char** text,
                                        size_t* length) {
    std::uint32_t index = 0;
    if (!PropertyIndex(name, index)) return RB_ERROR_ARGUMENT;
    return rb_block_get_property(block, index, text, length);
}

rb_status rb_block_set_property_by_name(rb_block* block, const char* name, const char* text) {
    std::uint32_t index = 0;
    if (!PropertyIndex(name, index)) return RB_ERROR_ARGUMENT;
    return rb_block_set_property(block, index, text);
}

}  // extern "C"
