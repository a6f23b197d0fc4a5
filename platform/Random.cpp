// The per-thread classic pseudo-random generator.
#include "platform/Random.h"

namespace platform {

namespace {
thread_local uint32_t t_state = 1;
}  // namespace

void SeedRandom(uint32_t seed) { t_state = seed; }

int NextRandom() {
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFFu);
}

}  // namespace platform
