// SPDX-License-Identifier: MIT
// The collection through the C interface: its life, its walk, and its blocks by ID.
#include <cstring>
#include <new>

#include "c_api/boundary.h"

using reuseblocks::c_api::FromHandle;
using reuseblocks::c_api::Guarded;
using reuseblocks::c_api::ToHandle;

extern "C" {

rb_collection* rb_collection_new(void) {
    return reinterpret_cast<rb_collection*>(new (std::nothrow) CReuseBlockFile());
}

void rb_collection_free(rb_collection* collection) {
    delete FromHandle(collection);
}

size_t rb_collection_count(const rb_collection* collection) {
    return collection ? static_cast<size_t>(FromHandle(collection)->GetCount()) : 0;
}

rb_status rb_collection_remove_all(rb_collection* collection) {
    if (!collection) return RB_ERROR_ARGUMENT;
    FromHandle(collection)->RemoveAll();
    return RB_OK;
}

rb_position rb_collection_start(const rb_collection* collection) {
    if (!collection) return nullptr;
    return reinterpret_cast<rb_position>(FromHandle(collection)->GetStartPosition());
}

rb_block* rb_collection_next(const rb_collection* collection, rb_position* position) {
    if (!collection || !position) return nullptr;
    POSITION at = reinterpret_cast<POSITION>(*position);
    CReuseBlock* block = FromHandle(collection)->GetNext(at);
    *position = reinterpret_cast<rb_position>(at);
    return ToHandle(block);
}

rb_status rb_collection_find(const rb_collection* collection, const char* id, rb_block** block) {
    if (!collection || !id || !block) return RB_ERROR_ARGUMENT;
    CReuseBlock* found = nullptr;
    // GetBlock only reads, whatever its signature says.
    if (!const_cast<CReuseBlockFile*>(FromHandle(collection))->GetBlock(id, found))
        return RB_ERROR_NOT_FOUND;
    *block = ToHandle(found);
    return RB_OK;
}

rb_status rb_collection_add(rb_collection* collection, const char* id, rb_block** block) {
    if (!collection || !id) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        CReuseBlock* added = FromHandle(collection)->NewBlock(id);
        if (!added) return RB_ERROR_NAME_TAKEN;
        if (block) *block = ToHandle(added);
        return RB_OK;
    });
}

rb_status rb_collection_remove(rb_collection* collection, const char* id) {
    if (!collection || !id) return RB_ERROR_ARGUMENT;
    return FromHandle(collection)->RemoveBlock(id) ? RB_OK : RB_ERROR_NOT_FOUND;
}

rb_status rb_collection_rename(rb_collection* collection, const char* old_id, const char* new_id) {
    if (!collection || !old_id || !new_id) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        CReuseBlockFile& blocks = *FromHandle(collection);
        if (blocks.RenameBlock(old_id, new_id)) return RB_OK;
        CReuseBlock* block = nullptr;
        return blocks.GetBlock(old_id, block) ? RB_ERROR_NAME_TAKEN : RB_ERROR_NOT_FOUND;
    });
}

rb_status rb_collection_block_key(const rb_collection* collection, const rb_block* block,
                                  char* buffer, size_t size, size_t* length) {
    if (!collection || !block || !length || (!buffer && size > 0)) return RB_ERROR_ARGUMENT;
    return Guarded([&] {
        CString key;
        if (!FromHandle(collection)->GetBlockKey(FromHandle(block), key)) return RB_ERROR_NOT_FOUND;
        const size_t full = static_cast<size_t>(key.GetLength());
        *length = full;
        if (size > 0) {
            const size_t copied = full < size ? full : size - 1;
            std::memcpy(buffer, key.GetString(), copied);
            buffer[copied] = '\0';
        }
        return RB_OK;
    });
}

}  // extern "C"
