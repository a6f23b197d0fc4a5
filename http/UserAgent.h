// The User-Agent generator: a browser identification composed afresh for each
// download from fixed pieces chosen at random, so that successive requests to
// the catalogue site do not all carry the same string.
//
// Randomness comes only from the calling thread's classic runtime generator
// (platform/Random.h), reseeded by every RandomNumber() call from the low 32
// bits of the seed source (the high-resolution performance counter unless a
// test installs another). Callable from any thread; the generator state and
// the seed source are per thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Reseeds with the seed source's low 32 bits and draws one value in 0..32767;
// returns it modulo n when n > 0, unchanged otherwise.
int RandomNumber(int n);

// "Mozilla/4.0 (compatible; MSIE x.0; Windows NT y[; en-US][; token]...)".
std::wstring GenerateUserAgent();

// Replaces the calling thread's seed source; an empty function restores the
// performance counter. For tests that need a repeatable sequence.
void SetUserAgentSeedSource(std::function<uint64_t()> source);
