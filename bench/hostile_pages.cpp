// The three page walks over hostile pages of 1 MB, against one FindNext pass
// of the album-entry pattern over an ordinary 1 MB artist page.
//
// Artist search (FindArtistUrl up to the end of its scan): unclosed tags (every
// link's opening tag runs on over all later links to one tag end near the
// end of the page), unclosed quotes (links that close neither their path nor
// their tag, so every path runs on to the next link and every tag to the end
// of the page) and near misses (link starts cut one character short, by
// the ten thousand). Album walk: entries whose title never closes. Track walk:
// one row of half a megabyte behind half a megabyte of text like it. The pages
// come from memory (a CMivo whose DownloadPage answers at once), and each
// figure is the thread's CPU time, since the machine is shared.
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "bench/MemoryMivo.h"
#include "plugin/Mivo.h"
#include "text/RegexMatcher.h"

namespace {

constexpr size_t kPageLength = 1 << 20;

const wchar_t* const kAlbumEntryPattern = L"<h3 class=\"albumTitle\">[^<]*<a href=\"(/album/[^\"]+)\">'([^<]*)'</a>";
const std::wstring kLinkStart = L"<a href=\"http://www.catalogue.example/artist/";
const std::wstring kLink = kLinkStart + L"v\">Velnor</a><span class=\"mod_attrib\">";

// piece repeated up to kPageLength characters, then ending.
std::wstring Fill(const std::wstring& piece, const std::wstring& ending = L"") {
    std::wstring page;
    while (page.size() < kPageLength) page += piece;
    return page + ending;
}

// An ordinary artist page: album entries in the site's markup between page text.
std::wstring ArtistPage(size_t& entries) {
    std::wstring page = L"<html><body><div class=\"albumList\">\n";
    for (entries = 0; page.size() < kPageLength; ++entries) {
        const std::wstring n = std::to_wstring(entries);
        page += L"<div class=\"albumEntry\"><img src=\"/covers/" + n +
                L".jpg\" alt=\"\">\n<h3 class=\"albumTitle\">\n"
                L"  <a href=\"/album/" +
                n + L"-some-album\">'Album Title " + n +
                L"'</a></h3>\n<p class=\"info\">"
                L"<span class=\"year\">1999</span> Words about the record, its songs and <b>players</b>.</p></div>\n";
    }
    return page + L"</div></body></html>";
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs body once per iteration and reports its thread CPU time as the iteration's time.
template <class Body>
void TimeIterations(benchmark::State& state, Body body) {
    for (auto _ : state) {
        const double start = ThreadCpuSeconds();
        body();
        state.SetIterationTime(ThreadCpuSeconds() - start);
    }
}

void BM_AlbumEntryPass(benchmark::State& state) {
    size_t entries = 0;
    const CString page(ArtistPage(entries));
    size_t found = 0;
    TimeIterations(state, [&] {
        CRegexMatcher matcher;
        CString path;
        found = 0;
        if (matcher.Prepare(page, kAlbumEntryPattern, true))
            while (matcher.FindNext()) {
                matcher.GetMatch(1, path);
                ++found;
            }
    });
    if (found != entries) state.SkipWithError("the regex pass missed entries");
}

// FindArtistUrl over page; expected: the lookup's result.
void ArtistSearch(benchmark::State& state, const std::wstring& page, int expected) {
    MemoryMivo mivo(page);
    mivo.Search();
    int result = -1;
    TimeIterations(state, [&] {
        CString url;
        result = mivo.FindArtistUrl(L"Velnor", url);
    });
    if (result != expected) state.SkipWithError("the search found something else");
}

void BM_ArtistSearchUnclosedTags(benchmark::State& state) {
    ArtistSearch(state, Fill(kLinkStart + L"a\" ", L">x<b"), 0);
}

void BM_ArtistSearchUnclosedQuotes(benchmark::State& state) {
    ArtistSearch(state, Fill(kLinkStart + L"a-name-that-never-closes "), 0);
}

void BM_ArtistSearchNearMisses(benchmark::State& state) {
    ArtistSearch(state, Fill(L"<a href=\"http://www.catalogue.example/artis", kLink), 1);
}

void BM_AlbumListUnclosedTitles(benchmark::State& state) {
    MemoryMivo mivo(Fill(L"<h3 class=\"albumTitle\"> <a href=\"/album/x\">'open "));
    AlbumInfoList albums;
    TimeIterations(state, [&] { mivo.FindArtistAlbumList(L"Artist", albums); });
    if (!albums.empty()) state.SkipWithError("the album walk found entries");
}

void BM_TrackWalkLongRow(benchmark::State& state) {
    const std::wstring half(kPageLength / 2, L'x');
    MemoryMivo mivo(half + L"<div class=\"albumBlkSong\">" + half + L"<a>T</a></div>");
    size_t found = 0;
    TimeIterations(state, [&] {
        AlbumInfo album(L"T", L"A", 0, L"", L"www.catalogue.example/album/x");
        std::wstring cover;
        TrackInfoList tracks;
        mivo.GetAlbumDetails(album, cover, tracks);
        found = tracks.size();
    });
    if (found != 1) state.SkipWithError("the track walk missed the row");
}

BENCHMARK(BM_AlbumEntryPass)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArtistSearchUnclosedTags)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArtistSearchUnclosedQuotes)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArtistSearchNearMisses)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlbumListUnclosedTitles)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackWalkLongRow)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
