// Speed of the name-difference measure: table cells per second for two
// 20-character names, the size of an ordinary artist name; the bounded
// difference of long names (100,000 against 20 characters, 2,000 against
// 2,000) at the default threshold 1.0 and at 216, beside the exact difference
// of the same names; and the artist lookup of a
// 100,000-character name whose search page echoes a near copy of it, without
// and with the artist cache (which then holds the near copy too).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string>

#include "bench/MemoryMivo.h"
#include "platform/CodePage.h"
#include "plugin/BasicTagsDllInterface.h"
#include "plugin/Mivo.h"
#include "search/NameMatcher.h"
#include "tests/support/TempFolder.h"

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

// A name of length characters: words of letters and digits between blanks,
// with a bracketed part and some punctuation, as a long catalogue name reads.
std::wstring LongName(size_t length) {
    static const wchar_t* const kWords[] = {L"Quorin", L"and",    L"the",        L"Ploms",     L"(Live)",
                                            L"Tam",    L"Brisk,", L"Velnor-182", L"Marastela", L"[US]"};
    std::wstring name;
    for (size_t k = 0; name.size() < length; ++k) {
        if (!name.empty()) name += L' ';
        name += kWords[(k * 7 + k / 10) % std::size(kWords)];
    }
    name.resize(length);
    if (name.back() == L' ') name.back() = L'x';
    return name;
}

// name with the letters at the given fractions of its length replaced.
std::wstring Changed(std::wstring name, std::initializer_list<double> where) {
    for (double fraction : where) {
        size_t k = static_cast<size_t>(fraction * static_cast<double>(name.size()));
        while (k < name.size() && !(name[k] >= L'a' && name[k] <= L'z')) ++k;
        if (k < name.size()) name[k] = name[k] == L'q' ? L'z' : L'q';
    }
    return name;
}

// name with every bracket turned into a hyphen.
std::wstring NoBrackets(std::wstring name) {
    for (wchar_t& ch : name)
        if (ch == L'(' || ch == L')' || ch == L'[' || ch == L']') ch = L'-';
    return name;
}

// Argument: the threshold times 10.
void BoundedDifference(benchmark::State& state, const CString& first, const CString& second) {
    const CNameMatcher matcher(false);
    const float threshold = static_cast<float>(state.range(0)) / 10.0f;
    float difference = 0;
    for (auto _ : state) {
        difference = matcher.GetDifferenceBelow(first, second, threshold);
        benchmark::DoNotOptimize(difference);
    }
    state.counters["difference"] = difference;
    state.SetItemsProcessed(state.iterations() * first.GetLength() * second.GetLength());
    state.SetLabel("items = cells of the whole table");
}

void BM_GetDifferenceBelow100000x20(benchmark::State& state) {
    static const CString first(LongName(100000));
    static const CString second(L"Quorin and the Ploms");
    BoundedDifference(state, first, second);
}
BENCHMARK(BM_GetDifferenceBelow100000x20)->Arg(10)->Arg(2160)->Unit(benchmark::kMillisecond);

// The exact difference of the same pairs, every cell of the table filled:
// the reference for the bounded ones.
void ExactDifference(benchmark::State& state, const CString& first, const CString& second) {
    const CNameMatcher matcher(false);
    for (auto _ : state) benchmark::DoNotOptimize(matcher.GetDifference(first, second));
    state.SetItemsProcessed(state.iterations() * first.GetLength() * second.GetLength());
}

void BM_GetDifference100000x20(benchmark::State& state) {
    static const CString first(LongName(100000));
    ExactDifference(state, first, L"Quorin and the Ploms");
}
BENCHMARK(BM_GetDifference100000x20)->Unit(benchmark::kMillisecond);

void BM_GetDifference2000x2000(benchmark::State& state) {
    static const CString first(LongName(2000));
    static const CString second(Changed(LongName(2000), {0.75, 0.85, 0.95}));
    ExactDifference(state, first, second);
}
BENCHMARK(BM_GetDifference2000x2000)->Unit(benchmark::kMillisecond);

// Two names of 2,000 characters, the second with three letters changed late
// in the name. The names hold several bracketed parts, and brackets need not
// pair up, so nearly every position counts as inside brackets: the changes
// cost 10 each, and a blank costs 0.5 to insert.
void BM_GetDifferenceBelow2000x2000(benchmark::State& state) {
    static const CString first(LongName(2000));
    static const CString second(Changed(LongName(2000), {0.75, 0.85, 0.95}));
    BoundedDifference(state, first, second);
}
BENCHMARK(BM_GetDifferenceBelow2000x2000)->Arg(10)->Arg(2160)->Unit(benchmark::kMillisecond);

// The same without brackets: one letter changed at three quarters costs 100.
void BM_GetDifferenceBelow2000x2000NoBrackets(benchmark::State& state) {
    static const CString first(NoBrackets(LongName(2000)));
    static const CString second(NoBrackets(Changed(LongName(2000), {0.75})));
    BoundedDifference(state, first, second);
}
BENCHMARK(BM_GetDifferenceBelow2000x2000NoBrackets)->Arg(10)->Arg(2160)->Unit(benchmark::kMillisecond);

class BenchHost : public CBasicTagsHostInterface {
public:
    bool IsStopRequested() override { return false; }
};

// The lookup's search page comes from memory instead of the network: twenty
// ordinary candidates, then one whose name is the requested long name with a
// letter changed half-way.
CString SearchPage(const std::wstring& echoedName) {
    std::wstring page = L"<html><body><ul>\n";
    auto link = [&page](const std::wstring& path, const std::wstring& name) {
        page += L"<li><a href=\"http://www.catalogue.example/artist/" + path + L"\">" + name +
                L"</a><span class=\"mod_attrib\">x</span></li>\n";
    };
    for (int k = 0; k < 20; ++k) link(std::to_wstring(k), L"Quorin and Ploms " + std::to_wstring(k));
    link(L"echo", echoedName);
    return CString(page + L"</ul></body></html>");
}

void LookupLongName(benchmark::State& state, bool withCache) {
    static const std::wstring name = LongName(100000);
    BenchHost host;
    MemoryMivo mivo(SearchPage(Changed(name, {0.5})).str());
    mivo.Search();
    mivo.SetHost(&host);
    std::optional<TempFolder> root;
    if (withCache) {
        const CString folder(root.emplace().Wide());
        mivo.Set(L"LocalCacheFolder", &folder);
        // A first lookup stores the candidates, so the measured ones also
        // compare the name with the stored near copy.
        CString url;
        mivo.FindArtistUrl(CString(name), url);
    }
    for (auto _ : state) {
        CString url;
        benchmark::DoNotOptimize(mivo.FindArtistUrl(CString(name), url));
    }
}

void BM_FindArtistUrl100000(benchmark::State& state) { LookupLongName(state, false); }
BENCHMARK(BM_FindArtistUrl100000)->Unit(benchmark::kMillisecond);

void BM_FindArtistUrl100000Cached(benchmark::State& state) { LookupLongName(state, true); }
BENCHMARK(BM_FindArtistUrl100000Cached)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
