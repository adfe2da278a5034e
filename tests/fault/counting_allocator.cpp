// SPDX-License-Identifier: MIT
#include "counting_allocator.h"

#include <cstdlib>
#include <new>

#include "reuseblocks/reuseblocks.h"

namespace {

// State of this test binary alone; the tests are single-threaded.
std::size_t g_failAt = 0;  // 0: never fail
std::size_t g_seen = 0;    // allocations since the arming
bool g_persistent = false;
bool g_fired = false;
std::size_t g_live = 0;

void* Allocate(std::size_t size) {
    if (g_failAt != 0) {
        ++g_seen;
        if (g_seen == g_failAt || (g_persistent && g_seen > g_failAt)) {
            g_fired = true;
            throw std::bad_alloc();
        }
    }
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (!memory) throw std::bad_alloc();
    ++g_live;
    return memory;
}

void Release(void* memory) noexcept {
    if (!memory) return;
    --g_live;
    std::free(memory);
}

}  // namespace

namespace fault {

void ArmAllocationFailure(std::size_t nth, bool persistent) {
    g_seen = 0;
    g_fired = false;
    g_persistent = persistent;
    g_failAt = nth;
}

bool DisarmAllocationFailure() {
    g_failAt = 0;
    return g_fired;
}

std::size_t LiveAllocations() {
    return g_live;
}

bool AllocationFailureIsInjectable() {
    ArmAllocationFailure(1);
    bool threw = false;
    try {
        // Through the library, whose calls a memory checker may take over while ours stay.
        CReuseBlockFile blocks;
        static_cast<void>(blocks.NewBlock("probe"));
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    DisarmAllocationFailure();
    return threw;
}

}  // namespace fault

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete(void* memory) noexcept {
    Release(memory);
}
void operator delete[](void* memory) noexcept {
    Release(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    Release(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    Release(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    Release(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    Release(memory);
}
