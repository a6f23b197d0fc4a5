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
// Runs on the host's calling thread; uses only locals and the object's own
// cache (which locks for itself).
#include "plugin/Mivo.h"

#include <algorithm>

#include "log/TraceLog.h"
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
        if (open < 0)
            return;
        const int close = name.Find(L'>', open);
        if (close < 0)
            return;
        name.Delete(open, close - open + 1);
    }
}

}  // namespace

int CMivo::FindArtistUrl(const CString& artistName, CString& artistUrl) {
    float maxDifference = 1.0f;
    if (m_pHost)
        m_pHost->GetValue(L"MaxMatchDifference", &maxDifference);

    if (m_pArtistCache && m_pArtistCache->ReadArtistUrl(artistName, artistUrl, maxDifference)) {
        TheTraceLog().Write(TRACE_INFO,
                            CString(L"ArtistUrl found in local cache. ") + artistName + L", " + artistUrl);
        return 1;
    }

    CString page;
    const CString searchUrl = CString(kSearchHost) + kSearchPath + EncodeQueryComponent(artistName);
    if (!DownloadPage(searchUrl, page))
        return 0;

    // The host may have changed its answer while the page was on its way.
    if (m_pHost)
        m_pHost->GetValue(L"MaxMatchDifference", &maxDifference);

    CRegexMatcher matcher;
    CNameMatcher nameMatcher(false);
    matcher.Prepare(page, ArtistLinkPattern(m_strSiteHost), true);  // a failure makes FindNext false
    const CString swappedName = SwapFirstWord(artistName);

    while (matcher.FindNext()) {
        if (IsStopRequested())
            return 0;
        CString artistPath;
        CString displayName;
        matcher.GetMatch(1, artistPath);
        matcher.GetMatch(2, displayName);

        RemoveMarkup(displayName);
        const CString candidateUrl = m_strSiteHost + artistPath + kAlbumsSuffix;
        // The site escapes "&" and quotes in names; compare and cache the name as it reads.
        if (displayName.Find(L'&') >= 0)
            DecodeHtmlEntities(displayName);
        displayName.Trim();

        if (m_pArtistCache)
            m_pArtistCache->WriteArtistUrl(displayName, candidateUrl);

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
            if (difference == 0.0f)
                break;
        }
    }
    return artistUrl.IsEmpty() ? 0 : 1;
}
