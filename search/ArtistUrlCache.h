// CArtistUrlCache: remembers across runs which artist page address belongs to
// which artist name, in INI files under <root>/<source name>/<source id>/,
// one file "%c.ARTISTCACHE" per leading character of the name.
//
// Owned by the interface object (created by the "LocalCacheFolder" property);
// the files stay on disk when it is destroyed. Failures are answered by the
// result and one trace line, never passed on.
// Thread-safety: any thread may call; m_cs serialises the file accesses of one
// object, and objects in other threads or processes that share the folder are
// kept apart by the INI layer's file lock (platform/IniFile.h).
#pragma once

#include <vector>

#include "platform/CString.h"
#include "platform/CriticalSection.h"

class CArtistUrlCache {
public:
    // rootFolder gets a trailing separator when it has none.
    CArtistUrlCache(const CString& rootFolder, const CString& sourceName, const CString& sourceId);

    // Finds the address stored for name exactly (letter case aside), else under
    // the first of the nearest stored names strictly below maxDifference; only
    // the file of name's leading character is searched. 1 when result now holds
    // an address (at most 499 characters); result is untouched otherwise.
    int ReadArtistUrl(const CString& name, CString& result, float maxDifference);
    // Stores address under name, replacing an earlier one. 1 on success; 0,
    // with a Debug line, when the file cannot be written or name or address
    // holds CR, LF or NUL.
    int WriteArtistUrl(const CString& name, const CString& address);
    // The cache file for name, <root>/<source name>/<source id>/<c>.ARTISTCACHE,
    // creating the two folder levels; false, with an Error line, when a folder
    // cannot be created, or with an Info line when name has no leading character.
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
// upper-case letter for A-Z/a-z (lower case when lowerCase), the digit itself
// when digitReplacement is 0; out is 0 and the result false for anything else.
bool GetLeadingChar(const CString& name, wchar_t& out, wchar_t digitReplacement, bool lowerCase);
