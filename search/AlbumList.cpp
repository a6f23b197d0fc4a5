// CMivo::FindArtistAlbumList (slot 5): every album of an artist, over all of
// the catalogue's result pages.
//
// The artist's album page address comes from FindArtistUrl; that page and
// each following one ("/page/N/") are downloaded while the next-page marker
// stands behind the last album entry of a page. Each album entry appends one
// AlbumInfo. The page is walked with one moving position, copying nothing
// per entry, so the cost is linear in the page size.
//
// Runs on the host's calling thread; keeps nothing between calls.
#include "plugin/Mivo.h"

#include <string>

#include "log/TraceLog.h"
#include "text/RegexMatcher.h"

namespace {

const wchar_t kAlbumEntryPattern[] = L"<h3 class=\"albumTitle\">[^<]*<a href=\"(/album/[^\"]+)\">'([^<]*)'</a>";
const wchar_t kNextPageMarker[] = L">Next Page&raquo;<";

}  // namespace

int CMivo::FindArtistAlbumList(const CString& artistName, AlbumInfoList& albums) {
    albums.clear();

    CString artistUrl;
    if (!FindArtistUrl(artistName, artistUrl)) {
        TheTraceLog().Write(TRACE_WARNING, CString(L"FindArtistAlbumList():Can not find artistUrl for: ") + artistName);
        return 0;
    }

    CString pageUrl = artistUrl;
    for (int pageNumber = 1;;) {
        if (IsStopRequested()) return 0;
        CString page;
        if (!DownloadPage(pageUrl, page)) break;

        // rest: start of the part of the page not yet consumed. The whole match
        // of an entry first occurs where the search found it (the pattern
        // depends on no context), so the rest always begins behind the entry.
        const std::wstring& text = page.str();
        size_t rest = 0;
        CRegexMatcher entries;
        if (entries.PrepareInPlace(text, kAlbumEntryPattern, true)) {
            while (entries.FindNext()) {
                if (IsStopRequested()) return 0;
                CString whole;
                CString title;
                CString albumPath;
                entries.GetMatch(0, whole);
                const size_t at = text.find(whole.str(), rest);
                if (at != std::wstring::npos) rest = at + whole.str().size();
                entries.GetMatch(2, title);
                entries.GetMatch(1, albumPath);

                AlbumInfo album;
                album.artist = artistName.str();
                album.title = title.Trim().str();
                album.url = (m_strSiteHost + albumPath).str();
                albums.push_back(std::move(album));
            }
        }

        // Only a marker behind the last entry announces a further page.
        CRegexMatcher marker;
        if (!marker.FindFirstInPlace(std::wstring_view(text).substr(rest), kNextPageMarker, true)) break;
        ++pageNumber;
        // The address "artist address/page/%d/" for the new page number.
        pageUrl = artistUrl + L"/page/" + CString(std::to_wstring(pageNumber)) + L"/";
    }
    return albums.empty() ? 0 : 1;
}
