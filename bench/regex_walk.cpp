// A FindNext walk of the album-entry pattern over a 4 MB result page: one
// Prepare, then FindNext until false, reading the album path and title of
// every entry. Reports the page characters searched per second.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/CString.h"
#include "text/RegexMatcher.h"

namespace {

constexpr size_t kPageLength = 4 << 20;

const wchar_t* const kAlbumEntryPattern = L"<h3 class=\"albumTitle\">[^<]*<a href=\"(/album/[^\"]+)\">'([^<]*)'</a>";

// A page of album blocks between the markup that surrounds them on the site.
std::wstring MakePage(size_t& entries) {
    std::wstring page = L"<html><head><title>Albums</title></head><body><div id=\"albums\">\n";
    entries = 0;
    while (page.size() < kPageLength) {
        const std::wstring n = std::to_wstring(entries);
        page += L"<div class=\"album\"><img src=\"/covers/" + n +
                L".jpg\" alt=\"cover\" width=\"120\">\n"
                L"<h3 class=\"albumTitle\">\n  <a href=\"/album/" +
                n + L"-some-album-name\">'Album Title Number " + n +
                L"'</a></h3>\n<p class=\"info\"><span class=\"year\">1999</span> <span class=\"genre\">Rock</span>"
                L" <a href=\"/label/7\">Label</a> &amp; more text about the record</p></div>\n";
        ++entries;
    }
    page += L"</div><a href=\"/page/2/\">Next Page&raquo;</a></body></html>";
    return page;
}

void BM_AlbumEntryWalk(benchmark::State& state) {
    size_t entries = 0;
    const CString page(MakePage(entries));
    size_t found = 0;
    for (auto _ : state) {
        CRegexMatcher matcher;
        found = 0;
        if (!matcher.Prepare(page, kAlbumEntryPattern, true)) state.SkipWithError("pattern rejected");
        CString path, title;
        while (matcher.FindNext()) {
            matcher.GetMatch(1, path);
            matcher.GetMatch(2, title);
            ++found;
        }
        benchmark::DoNotOptimize(title.GetString());
    }
    if (found != entries) state.SkipWithError("the walk missed entries");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.GetLength());
    state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_AlbumEntryWalk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
