// CMivo::GetAlbumDetails (slot 6): year, cover address, genre and track titles
// of one album, read from its page on the catalogue site.
//
// The year comes from the recording date, else the release date, anywhere on
// the page. Cover, genre and track rows are read in page order: the genre only
// at or behind the cover element, the track rows only at or behind the genre.
// The track walk moves one position through the page, copying nothing per
// row, and looks for each row with a linear search, so its cost is linear in
// the page size.
//
// Runs on the host's calling thread; keeps nothing between calls. The track
// list is appended to, never cleared.
#include "plugin/Mivo.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <string_view>

#include "log/TraceLog.h"
#include "search/ExtractBetween.h"
#include "text/FirstOccurrence.h"
#include "text/HtmlEntities.h"
#include "text/RegexMatcher.h"

namespace {

const wchar_t kRecordingDatePattern[] =
    L"<p class=\"detailHead\">Recording Date:\\s*<span class=\"detailItem\">([^<]+)</span></p>";
const wchar_t kReleaseDatePattern[] =
    L"<p class=\"detailHead\">Release Date:\\s*<span class=\"detailItem\">([^<]+)</span></p>";
const wchar_t kYearPattern[] = L"\\d\\d\\d\\d";
const wchar_t kCoverPattern[] = L"<img class=\"albumArt\" src=\"([^\"]+)\"";
const wchar_t kMissingCover[] = L"albumartmissing";
const wchar_t kGenrePattern[] = L"<dd class=\"detailLink\">([^<]+)</dd>";
const wchar_t kTrackRowStart[] = L"<div class=\"albumBlkSong\">";
const wchar_t kTrackRowEnd[] = L"</div>";

// The track title of one row: the first match of the pattern ">([^<]+)</a>",
// group 1 into title. Written out by hand because a row is tiny and compiling
// the pattern again for each of thousands of rows would cost more than the
// whole walk. It finds what the pattern finds: a match can only start at a ">",
// and "[^<]+" must then take the whole run up to the next "<" (a shorter run
// would end before a character that is not "<"), which must open "</a>".
// A ">" inside a failed run shares that run's end, so the scan skips the run.
bool FindTrackTitle(std::wstring_view row, std::wstring& title) {
    constexpr std::wstring_view kClose = L"</a>";
    size_t at = row.find(L'>');
    while (at != std::wstring_view::npos) {
        const size_t runEnd = std::min(row.find(L'<', at + 1), row.size());
        if (runEnd > at + 1 && row.substr(runEnd, kClose.size()) == kClose) {
            title.assign(row.substr(at + 1, runEnd - at - 1));
            return true;
        }
        at = row.find(L'>', runEnd);
    }
    return false;
}

void Warn(const wchar_t* message, const CString& albumUrl) {
    TheTraceLog().Write(TRACE_WARNING, CString(message) + albumUrl);
}

}  // namespace

int CMivo::GetAlbumDetails(AlbumInfo& album, std::wstring& coverUrl, TrackInfoList& tracks) {
    const CString albumUrl(album.url);
    CString page;
    if (!DownloadPage(albumUrl, page)) return 0;
    const std::wstring& text = page.str();

    // Year: a recording date always wins over a release date.
    {
        CRegexMatcher dateLine;
        if (!dateLine.FindFirstInPlace(text, kRecordingDatePattern, true) &&
            !dateLine.FindFirstInPlace(text, kReleaseDatePattern, true)) {
            Warn(L"GetAlbumDetails: AlbumYear not found: ", albumUrl);
        } else {
            CString date;
            dateLine.GetMatch(1, date);
            CRegexMatcher year;
            CString digits;
            if (year.FindFirst(date, kYearPattern, true) && year.GetMatch(0, digits))
                album.year = static_cast<int>(std::wcstol(digits.GetString(), nullptr, 10));
            else
                TheTraceLog().Write(TRACE_DEBUG,
                                    CString(L"GetAlbumDetails: AlbumYear not found. ") + date + L" : " + albumUrl);
        }
    }

    // rest: start of the part of the page still to be read. The cover and
    // genre steps move it to the first occurrence of their whole match,
    // which is where the search found it.
    size_t rest = 0;

    {
        CRegexMatcher cover;
        CString whole;
        CString image;
        if (cover.FindFirstInPlace(text, kCoverPattern, true) && cover.GetMatch(0, whole) && cover.GetMatch(1, image)) {
            const size_t at = text.find(whole.str(), rest);
            if (at != std::wstring::npos) rest = at;
            if (image.Find(kMissingCover) >= 0) image.Empty();
            coverUrl = image.str();
        } else {
            Warn(L"GetAlbumDetails: CoverExpression not found: ", albumUrl);
        }
    }

    {
        CRegexMatcher genreMatcher;
        CString whole;
        CString genre;
        if (genreMatcher.FindFirstInPlace(std::wstring_view(text).substr(rest), kGenrePattern, true) &&
            genreMatcher.GetMatch(0, whole) && genreMatcher.GetMatch(1, genre)) {
            const size_t at = text.find(whole.str(), rest);
            if (at != std::wstring::npos) rest = at;
            genre.Trim();
            genre.Remove(L' ');
            genre.Remove(L'\n');
            album.genre = genre.str();
        } else {
            Warn(L"GetAlbumDetails: GenreExpression not found: ", albumUrl);
        }
    }

    // Track walk: one row per ExtractBetween block; the walk resumes behind
    // the first occurrence of the block.
    int trackCounter = 0;
    const std::wstring_view whole(text);
    std::wstring row;
    while (rest < text.size() && ExtractBetweenView(kTrackRowStart, kTrackRowEnd, whole.substr(rest), row, false)) {
        if (IsStopRequested()) return 0;
        // The block may also stand earlier, before the start marker; a plain
        // search for a long block over text that nearly repeats it would
        // compare it again at every position.
        const size_t at = FindFirstOccurrence(text, row, rest);
        if (row.empty() || at == std::wstring::npos)
            break;  // cannot happen with these markers; guards against standing still
        rest = at + row.size();

        std::wstring titleText;
        if (!FindTrackTitle(row, titleText)) {
            Warn(L"GetAlbumDetails: TrackExpression not found: ", albumUrl);
            continue;
        }
        ++trackCounter;
        CString title(std::move(titleText));
        if (title.Find(L'&') >= 0)  // without "&" there is nothing to decode
            DecodeHtmlEntities(title);
        title.Remove(L'[');
        title.Remove(L']');
        title.Remove(L'(');
        title.Remove(L')');
        title.Trim();
        tracks.push_back(TrackInfo(title.str(), trackCounter));
    }
    album.trackCount = trackCounter;
    return 1;
}
