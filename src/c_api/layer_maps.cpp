// SPDX-License-Identifier: MIT
// A block's layer-map rows through the C interface.
#include <string_view>

#include "c_api/boundary.h"

using reuseblocks::c_api::FromHandle;
using reuseblocks::c_api::Guarded;
using reuseblocks::c_api::HandOut;

namespace {

bool InRange(const rb_block* block, uint32_t row, uint32_t column) noexcept {
    return block && row < FromHandle(block)->GetLayerMapCount() &&
           column < CReuseBlock::kLayerMapColumnCount;
}

}  // namespace

extern "C" {

uint32_t rb_block_layer_map_count(const rb_block* block) {
    return block ? FromHandle(block)->GetLayerMapCount() : 0;
}

rb_status rb_block_add_layer_map(rb_block* block, uint32_t* row) {
    if (!block) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        const std::uint32_t added = FromHandle(block)->NewLayerMap();
        if (row) *row = added;
        return RB_OK;
    });
}

rb_status rb_block_get_layer_map(const rb_block* block, uint32_t row, uint32_t column,
                                 const char** text, size_t* length) {
    if (!InRange(block, row, column)) return RB_ERROR_ARGUMENT;
    return HandOut(FromHandle(block)->GetLayerMapRef(row, column), text, length);
}

rb_status rb_block_set_layer_map_bytes(rb_block* block, uint32_t row, uint32_t column,
                                       const char* text, size_t length) {
    if (!InRange(block, row, column) || (!text && length > 0)) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        CString value(std::string_view(text ? text : "", length));
        FromHandle(block)->GetLayerMap(row, column) = std::move(value);
        return RB_OK;
    });
}

rb_status rb_block_set_layer_map(rb_block* block, uint32_t row, uint32_t column, const char* text) {
    return rb_block_set_layer_map_bytes(block, row, column, text,
                                        text ? std::string_view(text).size() : 0);
}

rb_status rb_block_remove_layer_map(rb_block* block, uint32_t row) {
    if (!InRange(block, row, 0)) return RB_ERROR_ARGUMENT;
    FromHandle(block)->RemoveLayerMap(row);
    return RB_OK;
}

}  // extern "C"
