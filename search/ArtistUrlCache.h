// CArtistUrlCache: remembers across runs which artist page address belongs to
// which artist name, in INI files under <root>/<source name>/<source id>/,
// one file "%c.ARTISTCACHE" per leading character of the name.
//
// Owned by the interface object (created by the "LocalCacheFolder" property).
// Thread-safety: m_cs serialises the file accesses of one object; processes
// sharing a folder are kept apart by the INI layer's file lock.
#pragma once

#include <vector>

#include "platform/CString.h"
#include "platform/CriticalSection.h"

class CArtistUrlCache {
public:
    // rootFolder gets a trailing separator when it has none.
    CArtistUrlCache(const CString& rootFolder, const CString& sourceName, const CString& sourceId);

    // Finds the address stored for name exactly, else under the nearest stored
    // name strictly below maxDifference. 1 when result now holds an address.
    int ReadArtistUrl(const CString& name, CString& result, float maxDifference);
    // Stores address under name. 1 on success.
    int WriteArtistUrl(const CString& name, const CString& address);
    // The cache file for name, creating the folder levels; false when the
    // folders cannot be created or the name has no leading character.
    bool GetCacheFileName(const CString& name, CString& fileName);
    // Every section name of fileName, in file order.
    void GetSectionNames(const CString& fileName, std::vector<CString>& names);

private:
    CString m_strRootFolder;
    CString m_strSourceName;
    CString m_strSourceId;
    CCriticalSection m_cs;
};

// The leading character of name: "#" (digitReplacement) for a digit, the
// upper-case letter for A-Z/a-z (lower case when lowerCase); false otherwise.
bool GetLeadingChar(const CString& name, wchar_t& out, wchar_t digitReplacement, bool lowerCase);
