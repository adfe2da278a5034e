// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TESTS_FAULT_COUNTING_ALLOCATOR_H
#define REUSEBLOCKS_TESTS_FAULT_COUNTING_ALLOCATOR_H

#include <cstddef>

// The test binary replaces the global operator new and delete, so every allocation the library
// makes through them is counted here and any one of them can be made to fail with bad_alloc.
namespace fault {

// From now on the `nth` allocation (1-based) throws std::bad_alloc; with `persistent`, so does
// every one after it. Replaces any earlier arming.
void ArmAllocationFailure(std::size_t nth, bool persistent = false);
// Stops failing and tells whether an allocation was made to fail since the arming.
bool DisarmAllocationFailure();
// Allocations made through operator new and not yet deleted.
std::size_t LiveAllocations();
// False when something else serves operator new (a memory checker that replaces it), so that
// nothing can be made to fail.
bool AllocationFailureIsInjectable();

// Arms for its lifetime, so an assertion that leaves the scope cannot leave allocations failing.
class ScopedAllocationFailure {
  public:
    explicit ScopedAllocationFailure(std::size_t nth, bool persistent = false) {
        ArmAllocationFailure(nth, persistent);
    }
    ~ScopedAllocationFailure() { DisarmAllocationFailure(); }
    ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
    ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;
};

}  // namespace fault

#endif  // REUSEBLOCKS_TESTS_FAULT_COUNTING_ALLOCATOR_H
