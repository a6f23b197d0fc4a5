// Fuzz target: the name-difference measure over two arbitrary names, and the
// first-word swap that the artist lookup tries as a second spelling.
//
// Checks what every caller relies on: the difference is a number, never
// negative, the same both ways round, 0 for a name against itself, and the
// bounded form agrees with the full one below its threshold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "search/NameMatcher.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool caseSensitive = input.ConsumeBool();
    const float threshold = input.ConsumeFloatingPointInRange<float>(0.0f, 500.0f);
    // Names up to 128 and 48 characters: beyond the 96 that the matcher keeps
    // on the stack, and small enough for many runs a second.
    const CString first(fuzzsupport::WideFromBytes(input.ConsumeRandomLengthString(128 * 3 + 1)).substr(0, 128));
    const CString second(fuzzsupport::WideFromBytes(input.ConsumeRemainingBytesAsString()).substr(0, 48));

    const CNameMatcher matcher(caseSensitive);
    const float difference = matcher.GetDifference(first, second);
    Require(std::isfinite(difference) && difference >= 0.0f, "difference is a finite non-negative number");
    Require(matcher.GetDifference(second, first) == difference, "difference is symmetric");
    Require(matcher.GetDifference(second, second) == 0.0f, "a name differs from itself by 0");

    const float bounded = matcher.GetDifferenceBelow(first, second, threshold);
    if (difference < threshold) Require(bounded == difference, "bounded difference below the threshold is exact");
    else Require(!(bounded < threshold), "bounded difference at or above the threshold stays there");

    const CString swapped = SwapFirstWord(first);
    Require(swapped.GetLength() <= first.GetLength() + 1, "the swap adds at most one blank");
    const float swappedDifference = matcher.GetDifference(swapped, second);
    Require(std::isfinite(swappedDifference) && swappedDifference >= 0.0f, "swapped difference is a number");
    return 0;
}
