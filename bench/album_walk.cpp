// The album walk and the track walk against one regex pass over the same page.
//
// An artist page of about 4 MB with 5,000 album entries is listed by
// FindArtistAlbumList, and an album page with 2,000 track rows is completed by
// GetAlbumDetails; each is compared with one FindNext pass of its pattern over
// the whole page (album entry pattern, track title pattern). The pages come
// from memory (a CMivo whose DownloadPage and FindArtistUrl answer at once),
// so the figures are the walks' own cost. The counter "x_regex_pass" is the
// walk's CPU time divided by the regex pass's (target: at most 3).
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "bench/MemoryMivo.h"
#include "plugin/Mivo.h"
#include "text/RegexMatcher.h"

namespace {

constexpr size_t kArtistPageLength = 4 << 20;
constexpr int kAlbumEntries = 5000;
constexpr int kTrackRows = 2000;

const wchar_t* const kAlbumEntryPattern = L"<h3 class=\"albumTitle\">[^<]*<a href=\"(/album/[^\"]+)\">'([^<]*)'</a>";
const wchar_t* const kTrackTitlePattern = L">([^<]+)</a>";

// An artist page of kAlbumEntries entries in the site's markup, padded with
// ordinary page text to about kArtistPageLength characters.
std::wstring MakeArtistPage() {
    std::wstring page =
        L"<!DOCTYPE html>\n<html><head><title>Discography</title></head><body><div class=\"albumList\">\n";
    const size_t perEntry = kArtistPageLength / kAlbumEntries;
    for (int i = 0; i < kAlbumEntries; ++i) {
        const std::wstring n = std::to_wstring(i);
        std::wstring entry = L"<div class=\"albumEntry\">\n  <a class=\"albumThumb\" href=\"/album/album-" + n +
                             L"\"><img src=\"http://www.catalogue.example/images/cover/" + n +
                             L".jpg\" alt=\"\" width=\"60\" height=\"60\"></a>\n  <h3 class=\"albumTitle\">\n    "
                             L"<a href=\"/album/album-" +
                             n + L"\">'Album &amp; Title " + n +
                             L"'</a>\n  </h3>\n  <p class=\"albumMeta\">1999 &middot; Rock</p>\n<p class=\"review\">";
        while (entry.size() + 11 < perEntry) entry += L"Words about the record, its songs and <b>players</b>. ";
        entry += L"</p></div>\n";
        page += entry;
    }
    return page + L"</div>\n<div class=\"pager\"><span>Page 1</span></div>\n</body></html>\n";
}

std::wstring MakeAlbumPage() {
    std::wstring page =
        L"<!DOCTYPE html>\n<html><body>\n<p class=\"detailHead\">Release Date: <span class=\"detailItem\">"
        L"May 1, 1999</span></p>\n<img class=\"albumArt\" src=\"http://www.catalogue.example/c.jpg\" alt=\"\">\n"
        L"<dl><dt>Genre</dt><dd class=\"detailLink\">Pop Rock</dd></dl>\n<table class=\"trackList\">\n";
    for (int i = 1; i <= kTrackRows; ++i) {
        const std::wstring n = std::to_wstring(i);
        page +=
            L"<tr class=\"trackRow\">\n  <td class=\"trackNum\">" + n +
            L"</td>\n  <td class=\"trackTitle\"><div class=\"albumBlkSong\"><a href=\"http://www.catalogue.example/song/s-" +
            n + L"\">Song " + n + (i % 3 ? L" (Live) [Take 2]" : L" &amp; Friends") +
            L"</a></div></td>\n  <td class=\"trackTime\">3:45</td>\n</tr>\n";
    }
    return page + L"</table>\n</body></html>\n";
}

double g_albumRegexPassNs = 0;
double g_trackRegexPassNs = 0;

// One FindNext pass of pattern over page, reading group 1 of each match.
size_t RegexPass(const CString& page, const wchar_t* pattern) {
    CRegexMatcher matcher;
    size_t found = 0;
    CString group;
    if (matcher.Prepare(page, pattern, true))
        while (matcher.FindNext()) {
            matcher.GetMatch(1, group);
            ++found;
        }
    return found;
}

// CPU time of the calling thread, in nanoseconds: the machine is shared, so
// the ratios are taken from CPU time rather than from the wall clock.
double ThreadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Runs body once per iteration; returns its mean thread CPU time in nanoseconds.
template <class Body>
double TimeIterations(benchmark::State& state, Body body) {
    double totalNs = 0;
    for (auto _ : state) {
        const double start = ThreadCpuNs();
        body();
        totalNs += ThreadCpuNs() - start;
    }
    return totalNs / static_cast<double>(state.iterations());
}

void BM_ArtistPageRegexPass(benchmark::State& state) {
    const CString page(MakeArtistPage());
    size_t found = 0;
    g_albumRegexPassNs = TimeIterations(state, [&] { found = RegexPass(page, kAlbumEntryPattern); });
    if (found != kAlbumEntries) state.SkipWithError("the regex pass missed entries");
    state.counters["MB"] = page.GetLength() / 1e6;
}

void BM_AlbumList(benchmark::State& state) {
    const CString page(MakeArtistPage());
    MemoryMivo mivo(page.str());
    AlbumInfoList albums;
    const double ns = TimeIterations(state, [&] { mivo.FindArtistAlbumList(L"Artist", albums); });
    if (albums.size() != kAlbumEntries) state.SkipWithError("the album walk missed entries");
    if (g_albumRegexPassNs > 0) state.counters["x_regex_pass"] = ns / g_albumRegexPassNs;
}

void BM_AlbumPageRegexPass(benchmark::State& state) {
    const CString page(MakeAlbumPage());
    size_t found = 0;
    g_trackRegexPassNs = TimeIterations(state, [&] { found = RegexPass(page, kTrackTitlePattern); });
    if (found != kTrackRows) state.SkipWithError("the regex pass missed rows");
    state.counters["MB"] = page.GetLength() / 1e6;
}

void BM_AlbumDetails(benchmark::State& state) {
    const CString page(MakeAlbumPage());
    MemoryMivo mivo(page.str());
    size_t tracksFound = 0;
    const double ns = TimeIterations(state, [&] {
        AlbumInfo album(L"T", L"A", 0, L"", L"www.catalogue.example/album/x");
        std::wstring cover;
        TrackInfoList tracks;
        mivo.GetAlbumDetails(album, cover, tracks);
        tracksFound = tracks.size();
    });
    if (tracksFound != kTrackRows) state.SkipWithError("the track walk missed rows");
    if (g_trackRegexPassNs > 0) state.counters["x_regex_pass"] = ns / g_trackRegexPassNs;
}

BENCHMARK(BM_ArtistPageRegexPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlbumList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlbumPageRegexPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlbumDetails)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
