// Allocation hooks for the text tests: this test program replaces the global
// operator new and delete, so that a test can make the next allocation fail
// (FailNextAllocation) and can watch how many allocations were made and how
// many bytes allocated through operator new are still held. Tests run on one
// thread; the counters are atomic all the same.
#pragma once

#include <cstddef>

namespace testsupport {

// The next call of operator new (any size, any thread) throws std::bad_alloc.
void FailNextAllocation();

// Disarms a failure that no allocation has consumed yet; true when one was pending.
bool CancelAllocationFailure();

// Number of successful calls of operator new since the program started.
std::size_t AllocationCount();

// Bytes obtained through operator new and not yet released (usable sizes).
std::size_t LiveAllocatedBytes();

}  // namespace testsupport
