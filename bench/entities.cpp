// DecodeHtmlEntities on a 1 MB text holding 50,000 references, named and
// numeric mixed (some numeric ones with leading zeros, some completed by an
// escaped ampersand, some surrogate pairs), between runs of plain words.
// Reports the time of one decode; the aim is under 100 ms.
//
// Also an 8 KB title made of 2,000 references of value 0 decoded with the
// trace log open: each bad reference is reported, so this measures what a
// crafted page costs in time and in log bytes (counter log_bytes).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "log/TraceLog.h"
#include "platform/CString.h"
#include "tests/support/TempFolder.h"
#include "text/HtmlEntities.h"

namespace {

constexpr size_t kTextLength = 1 << 20;
constexpr int kReferences = 50000;

std::wstring MakeText() {
    const wchar_t* const references[] = {
        L"&amp;",   L"&lt;",     L"&gt;",   L"&quot;",     L"&nbsp;",   L"&eacute;",
        L"&Ouml;",  L"&hellip;", L"&euro;", L"&thetasym;", L"&#233;",   L"&#0233;",
        L"&#8364;", L"&#65;",    L"&#38;",  L"&amp;#246;", L"&#12354;", L"&#55357;&#56832;",
    };
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, std::size(references) - 1);
    std::uniform_int_distribution<int> letter(0, 25);
    std::wstring text;
    text.reserve(kTextLength);
    const size_t gap = kTextLength / kReferences - 8;
    for (int i = 0; i < kReferences; ++i) {
        for (size_t j = 0; j < gap; ++j) text += (j % 7 == 6) ? L' ' : static_cast<wchar_t>(L'a' + letter(random));
        text += references[pick(random)];
    }
    while (text.size() < kTextLength) text += L'x';
    return text;
}

void BM_DecodeHtmlEntities(benchmark::State& state) {
    const std::wstring source = MakeText();
    for (auto _ : state) {
        state.PauseTiming();
        CString text(source);
        state.ResumeTiming();
        DecodeHtmlEntities(text);
        benchmark::DoNotOptimize(text.GetString());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
    state.counters["references"] = kReferences;
}
BENCHMARK(BM_DecodeHtmlEntities)->Unit(benchmark::kMillisecond);

void BM_BadReferenceTitle(benchmark::State& state) {
    const TempFolder folder;
    TheTraceLog().Open(folder.Wide().c_str(), L"bench", TRACE_ERROR);
    std::wstring title;
    while (title.size() < 8000) title += L"&#0;";
    for (auto _ : state) {
        CString text(title);
        DecodeHtmlEntities(text);
        benchmark::DoNotOptimize(text.GetString());
    }
    TheTraceLog().Close();
    uintmax_t logBytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) logBytes += entry.file_size();
    state.counters["log_bytes"] = static_cast<double>(logBytes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_BadReferenceTitle)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace

BENCHMARK_MAIN();
