// Fault injection for allocation failures in the text tests: this test
// program replaces the global operator new, and FailNextAllocation() makes the
// next allocation in the process throw std::bad_alloc, once. Tests run on one
// thread; the switch is atomic all the same.
#pragma once

namespace testsupport {

// The next call of operator new (any size, any thread) throws std::bad_alloc.
void FailNextAllocation();

// Disarms a failure that no allocation has consumed yet; true when one was pending.
bool CancelAllocationFailure();

}  // namespace testsupport
