// The replaced global allocation functions behind AllocationHooks.h. Each
// block carries its size in a header of one maximal alignment in front of
// what the caller gets, so the live byte count needs nothing from the C
// library beyond malloc and free.
#include "tests/text/AllocationHooks.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_failNext{false};
std::atomic<std::size_t> g_allocations{0};
std::atomic<std::size_t> g_liveBytes{0};

// Room in front of each block for its size, keeping the caller's part aligned.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void Release(void* memory) noexcept {
    if (!memory) return;
    unsigned char* block = static_cast<unsigned char*>(memory) - kHeader;
    g_liveBytes.fetch_sub(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
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
    if (size == 0) size = 1;
    if (size > static_cast<std::size_t>(-1) - kHeader) throw std::bad_alloc();
    auto* block = static_cast<unsigned char*>(std::malloc(kHeader + size));
    if (!block) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    g_allocations.fetch_add(1);
    g_liveBytes.fetch_add(size);
    return block + kHeader;
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void operator delete(void* memory) noexcept { Release(memory); }

void operator delete[](void* memory) noexcept { Release(memory); }

void operator delete(void* memory, std::size_t) noexcept { Release(memory); }

void operator delete[](void* memory, std::size_t) noexcept { Release(memory); }
