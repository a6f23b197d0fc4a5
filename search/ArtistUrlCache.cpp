// Artist address cache (construction only for now; reading and writing follow).
#include "search/ArtistUrlCache.h"

#include "platform/FileSystem.h"

CArtistUrlCache::CArtistUrlCache(const CString& rootFolder, const CString& sourceName, const CString& sourceId)
    : m_strRootFolder(rootFolder), m_strSourceName(sourceName), m_strSourceId(sourceId) {
    if (!m_strRootFolder.IsEmpty() && m_strRootFolder.Right(1) != CString(platform::kPathSeparator))
        m_strRootFolder += platform::kPathSeparator;
}

int CArtistUrlCache::ReadArtistUrl(const CString&, CString&, float) { return 0; }

int CArtistUrlCache::WriteArtistUrl(const CString&, const CString&) { return 0; }

bool CArtistUrlCache::GetCacheFileName(const CString&, CString&) { return false; }

void CArtistUrlCache::GetSectionNames(const CString&, std::vector<CString>& names) { names.clear(); }

bool GetLeadingChar(const CString&, wchar_t& out, wchar_t, bool) {
    out = 0;
    return false;
}
