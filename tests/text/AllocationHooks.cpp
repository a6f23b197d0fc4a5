// The replaced global allocation functions behind AllocationHooks.h.
#include "tests/text/AllocationHooks.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_failNext{false};
std::atomic<std::size_t> g_allocations{0};
std::atomic<std::size_t> g_liveBytes{0};

void Release(void* memory) noexcept {
    if (!memory) return;
    g_liveBytes.fetch_sub(malloc_usable_size(memory));
    std::free(memory);
}

}  // namespace

namespace testsupport {

void FailNextAllocation() { g_failNext.store(true); }

bool CancelAllocationFailure() { return g_failNext.exchange(false); }

std::size_t AllocationCount() { return g_allocations.load(); }

std::size_t LiveAllocatedBytes() { return g_liveBytes.load(); }

}  // namespace testsupport

void* operator new(std::size_t size) {
    if (g_failNext.exchange(false)) throw std::bad_alloc();
    void* memory = std::malloc(size != 0 ? size : 1);
    if (!memory) throw std::bad_alloc();
    g_allocations.fetch_add(1);
    g_liveBytes.fetch_add(malloc_usable_size(memory));
    return memory;
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void operator delete(void* memory) noexcept { Release(memory); }

void operator delete[](void* memory) noexcept { Release(memory); }

void operator delete(void* memory, std::size_t) noexcept { Release(memory); }

void operator delete[](void* memory, std::size_t) noexcept { Release(memory); }
