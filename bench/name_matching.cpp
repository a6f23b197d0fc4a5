// Speed of the name-difference measure: table cells per second for two
// 20-character names, the size of an ordinary artist name.
#include <benchmark/benchmark.h>

#include "search/NameMatcher.h"

namespace {

void BM_GetDifference20x20(benchmark::State& state) {
    const CNameMatcher matcher(false);
    const CString first(L"Quorin and the Ploms");
    const CString second(L"The Ploms (Live) Tam");
    for (auto _ : state) benchmark::DoNotOptimize(matcher.GetDifference(first, second));
    state.SetItemsProcessed(state.iterations() * first.GetLength() * second.GetLength());
    state.SetLabel("items = table cells");
}
BENCHMARK(BM_GetDifference20x20);

void BM_GetDifference20x20NonAscii(benchmark::State& state) {
    const CNameMatcher matcher(false);
    const CString first(L"Björk Guðmundsdóttir");
    const CString second(L"БЬОРК Гудмундсдоттир");
    for (auto _ : state) benchmark::DoNotOptimize(matcher.GetDifference(first, second));
    state.SetItemsProcessed(state.iterations() * first.GetLength() * second.GetLength());
}
BENCHMARK(BM_GetDifference20x20NonAscii);

}  // namespace

BENCHMARK_MAIN();
