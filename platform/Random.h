// The classic C runtime pseudo-random generator: a per-thread linear
// congruential state with the formula state = state * 214013 + 2531011,
// result = (state >> 16) & 0x7FFF, so a seed gives the same sequence everywhere.
//
// Each thread has its own state, 1 until the thread seeds it, so threads never
// disturb each other's sequences. Callable from any thread.
#pragma once

#include <cstdint>

namespace platform {

// The largest value NextRandom() returns.
constexpr int kRandomMax = 0x7FFF;

// Sets the calling thread's generator state to seed.
void SeedRandom(uint32_t seed);

// Advances the calling thread's state and returns a value in [0, kRandomMax].
int NextRandom();

}  // namespace platform
