// SPDX-License-Identifier: MIT
#include "counting_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "reuseblocks/reuseblocks.h"

namespace {

// Loads may parse on several threads, so every count is atomic; the tests arm and disarm from
// one thread, while no load runs.
std::atomic<std::size_t> g_failAt{0};  // 0: never fail
std::atomic<std::size_t> g_seen{0};    // allocations since the arming
std::atomic<bool> g_persistent{false};
std::atomic<bool> g_fired{false};
std::atomic<std::size_t> g_live{0};

void* Allocate(std::size_t size) {
    const std::size_t failAt = g_failAt.load();
    if (failAt != 0) {
        const std::size_t seen = ++g_seen;
        if (seen == failAt || (g_persistent.load() && seen > failAt)) {
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
    return g_fired.load();
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
