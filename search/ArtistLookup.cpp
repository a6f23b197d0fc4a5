// CMivo::FindArtistUrl (slot 4): from an artist name to the address of the
// artist's album page on the catalogue site.
//
// The artist cache answers first. Otherwise the site's search page is
// downloaded, every artist link on it that is followed at once by the
// attribution span is a candidate, each candidate is written to the cache,
// and the first candidate with the smallest name difference strictly below
// the host's "MaxMatchDifference" (default 1.0) wins; a difference of 0 ends
// the scan.
//
// The links are walked by CArtistLinkFinder, which gives exactly the matches
// of the artist link pattern in time linear in the page's length; the pattern
// is also prepared on the page, so an empty page or a rejected pattern is
// reported in the matcher's words.
//
// Runs on the host's calling thread; uses only locals and the object's own
// cache (which locks for itself).
#include "plugin/Mivo.h"

#include <algorithm>

#include "log/TraceLog.h"
#include "search/ArtistLinkFinder.h"
#include "search/ArtistUrlCache.h"
#include "search/NameMatcher.h"
#include "search/QueryComponent.h"
#include "text/HtmlEntities.h"
#include "text/RegexMatcher.h"

namespace {

// The catalogue's search host and the path and query key of its search.
const wchar_t kSearchHost[] = L"www.catalogue.example";
const wchar_t kSearchPath[] = L"/search?q=";
const wchar_t kAlbumsSuffix[] = L"/albums";

// The artist link pattern for site host: a link to an artist path on that
// host, followed at once by the attribution span. Group 1 is the artist
// path, group 2 the link text. Each "." of the host matches only a dot.
CString ArtistLinkPattern(const CString& siteHost) {
    CString escapedHost = siteHost;
    escapedHost.Replace(L".", L"\\.");
    return CString(L"<a href=\"http://") + escapedHost +
           L"(/artist/[^\"]+)\"[^>]*>([^<]+)</a><span class=\"mod_attrib\">";
}

// Deletes every "<...>" tag from name, from left to right; an unclosed "<" stays.
void RemoveMarkup(CString& name) {
    for (;;) {
        const int open = name.Find(L'<');
        if (open < 0) return;
        const int close = name.Find(L'>', open);
        if (close < 0) return;
        name.Delete(open, close - open + 1);
    }
}

}  // namespace

int CMivo::FindArtistUrl(const CString& artistName, CString& artistUrl) {
    float maxDifference = 1.0f;
    if (m_pHost) m_pHost->GetValue(L"MaxMatchDifference", &maxDifference);

    if (m_pArtistCache && m_pArtistCache->ReadArtistUrl(artistName, artistUrl, maxDifference)) {
        TheTraceLog().Write(TRACE_INFO, CString(L"ArtistUrl found in local cache. ") + artistName + L", " + artistUrl);
        return 1;
    }

    CString page;
    const CString searchUrl = CString(kSearchHost) + kSearchPath + EncodeQueryComponent(artistName);
    if (!DownloadPage(searchUrl, page)) return 0;

    // The host may have changed its answer while the page was on its way.
    if (m_pHost) m_pHost->GetValue(L"MaxMatchDifference", &maxDifference);

    {
        CRegexMatcher matcher;
        if (!matcher.PrepareInPlace(page.str(), ArtistLinkPattern(m_strSiteHost), true)) {
            matcher.FindNext();  // writes why there is nothing to search
            return artistUrl.IsEmpty() ? 0 : 1;
        }
    }

    CNameMatcher nameMatcher(false);
    const CString swappedName = SwapFirstWord(artistName);
    CArtistLinkFinder links(page.str(), m_strSiteHost.str());
    ArtistLink link;
    while (links.FindNext(link)) {
        if (IsStopRequested()) return 0;
        const CString artistPath(link.path);
        CString displayName(link.text);

        RemoveMarkup(displayName);
        const CString candidateUrl = m_strSiteHost + artistPath + kAlbumsSuffix;
        // The site escapes "&" and quotes in names; compare and cache the name as it reads.
        if (displayName.Find(L'&') >= 0) DecodeHtmlEntities(displayName);
        displayName.Trim();

        if (m_pArtistCache) m_pArtistCache->WriteArtistUrl(displayName, candidateUrl);

        // Below the threshold each value is the exact difference; at or above
        // it, the bounded form returns some value that is not below it. The
        // name as given counts only when it comes out strictly nearer than its
        // swapped form, so that comparison is bounded by the nearer of the two;
        // a name without a blank is its own swapped form.
        const float d1 = nameMatcher.GetDifferenceBelow(swappedName, displayName, maxDifference);
        const float d2 = swappedName == artistName
                             ? d1
                             : nameMatcher.GetDifferenceBelow(artistName, displayName, std::min(d1, maxDifference));
        const float difference = static_cast<double>(d2) < static_cast<double>(d1) ? d2 : d1;
        if (difference < maxDifference) {
            maxDifference = difference;
            artistUrl = candidateUrl;
            if (difference == 0.0f) break;
        }
    }
    return artistUrl.IsEmpty() ? 0 : 1;
}
