// Fuzz target: the name-difference measure over two arbitrary names, and the
// first-word swap that the artist lookup tries as a second spelling.
//
// Checks what every caller relies on: the difference is a number, never
// negative, the same both ways round, 0 for a name against itself, and the
// bounded form (which fills only a band of the table) agrees with the full one
// below its threshold, both ways round, and is not below it otherwise. The
// second name is often the first with a slice replaced, so that long names
// come out near each other; thresholds are often the exact difference or
// just above it, where a band one column too narrow shows; and the bracket
// factor is sometimes changed, down to 0.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "search/NameMatcher.h"

using fuzzsupport::Require;

namespace {

// Names up to 200 characters: beyond the 96 that the matcher keeps on the
// stack, and small enough for many runs a second.
constexpr size_t kMaxName = 200;

// The threshold: the exact difference, just above it, a little above it, or
// anywhere from 0 to 1 or to 500; fraction lies in [0, 1].
float ChooseThreshold(int mode, float fraction, float exact) {
    switch (mode) {
        case 0: return exact;
        case 1: return std::nextafter(exact, std::numeric_limits<float>::infinity());
        case 2: return exact + 10.0f * fraction;
        case 3: return fraction;
        default: return 500.0f * fraction;
    }
}

float ChooseBracketFactor(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return 0.0f;
        case 1: return input.ConsumeFloatingPointInRange<float>(0.0f, 2.0f);
        default: return 0.1f;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool caseSensitive = input.ConsumeBool();
    const float bracketFactor = ChooseBracketFactor(input);
    const bool nearCopy = input.ConsumeBool();
    const size_t cutFrom = input.ConsumeIntegralInRange<size_t>(0, kMaxName);
    const size_t cutLength = input.ConsumeIntegralInRange<size_t>(0, 8);
    const int thresholdMode = input.ConsumeIntegralInRange<int>(0, 4);
    const float thresholdFraction = input.ConsumeFloatingPointInRange<float>(0.0f, 1.0f);
    const std::wstring firstText =
        fuzzsupport::WideFromBytes(input.ConsumeRandomLengthString(kMaxName * 3 + 1)).substr(0, kMaxName);
    std::wstring secondText = fuzzsupport::WideFromBytes(input.ConsumeRemainingBytesAsString()).substr(0, kMaxName);
    if (nearCopy) {
        const size_t from = std::min(cutFrom, firstText.size());
        secondText = firstText.substr(0, from) + secondText.substr(0, 8) +
                     firstText.substr(std::min(firstText.size(), from + cutLength));
    }
    const CString first(firstText);
    const CString second(secondText);

    CNameMatcher matcher(caseSensitive);
    const float difference = matcher.GetDifference(first, second);
    Require(matcher.GetDifference(second, first) == difference, "difference is symmetric");
    Require(std::isfinite(difference) && difference >= 0.0f, "difference is a finite non-negative number");
    Require(matcher.GetDifference(second, second) == 0.0f, "a name differs from itself by 0");

    matcher.m_fBracketFactor = bracketFactor;
    const float exact = matcher.GetDifference(first, second);
    const float threshold = ChooseThreshold(thresholdMode, thresholdFraction, exact);
    for (const bool exchanged : {false, true}) {
        const float bounded = exchanged ? matcher.GetDifferenceBelow(second, first, threshold)
                                        : matcher.GetDifferenceBelow(first, second, threshold);
        if (exact < threshold) Require(bounded == exact, "bounded difference below the threshold is exact");
        else Require(!(bounded < threshold), "bounded difference at or above the threshold stays there");
    }

    const CString swapped = SwapFirstWord(first);
    Require(swapped.GetLength() <= first.GetLength() + 1, "the swap adds at most one blank");
    const float swappedDifference = CNameMatcher(caseSensitive).GetDifference(swapped, second);
    Require(std::isfinite(swappedDifference) && swappedDifference >= 0.0f, "swapped difference is a number");
    return 0;
}
