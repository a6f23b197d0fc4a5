// The replaced global allocation functions behind FailNextAllocation().
#include "tests/text/AllocationFailure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_failNext{false};

}  // namespace

namespace testsupport {

void FailNextAllocation() { g_failNext.store(true); }

bool CancelAllocationFailure() { return g_failNext.exchange(false); }

}  // namespace testsupport

void* operator new(std::size_t size) {
    if (g_failNext.exchange(false)) throw std::bad_alloc();
    if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void operator delete(void* memory) noexcept { std::free(memory); }

void operator delete[](void* memory) noexcept { std::free(memory); }

void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
