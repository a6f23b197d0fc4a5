// The artist address cache: file names by leading character, exact and
// nearest-name reads, writes. The INI files are read and written only through
// platform/IniFile.h, which keeps concurrent writers in several processes from
// losing entries; m_cs keeps the accesses of one cache object in order.
#include "search/ArtistUrlCache.h"

#include <optional>
#include <string>

#include "log/TraceLog.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "search/NameMatcher.h"

namespace {

constexpr wchar_t kArtistUrlKey[] = L"ArtistUrl";
// Values are read back into a buffer of 500 characters, terminator included.
constexpr size_t kMaxValueLength = 499;

// Creates folder when nothing exists there. False, with the Error line, when
// it cannot be created. A folder that another process created in the meantime
// counts as success.
bool EnsureFolder(const CString& folder) {
    if (platform::PathExists(folder.str())) return true;
    const uint32_t error = platform::CreateDirectory(folder.str());
    if (error == 0 || platform::IsDirectory(folder.str())) return true;
    TheTraceLog().WriteLastError(TRACE_ERROR, L"GetCacheFileName():Can not create directory: " + folder + L", ", error);
    return false;
}

// The stored address of section name, when there is a non-empty one.
bool ReadAddress(const CString& fileName, const CString& section, CString& result) {
    const std::optional<std::wstring> value =
        platform::ReadIniValue(fileName.str(), section.str(), kArtistUrlKey, kMaxValueLength);
    if (!value || value->empty()) return false;
    result = *value;
    return true;
}

}  // namespace

CArtistUrlCache::CArtistUrlCache(const CString& rootFolder, const CString& sourceName, const CString& sourceId)
    : m_strRootFolder(platform::FolderWithSeparator(rootFolder.str())),
      m_strSourceName(sourceName),
      m_strSourceId(sourceId) {}

bool CArtistUrlCache::GetCacheFileName(const CString& name, CString& fileName) {
    fileName = platform::FolderWithSeparator((m_strRootFolder + m_strSourceName).str());
    if (!EnsureFolder(fileName)) return false;
    fileName = platform::FolderWithSeparator((fileName + m_strSourceId).str());
    if (!EnsureFolder(fileName)) return false;

    wchar_t leading = 0;
    if (!GetLeadingChar(name, leading, L'#', false)) {
        TheTraceLog().Write(TRACE_INFO, L"GetCacheFileName():GetLeadingChar fails: " + name);
        return false;
    }
    CString file;
    file.Format(L"%c.ARTISTCACHE", leading);
    fileName += file;
    return true;
}

int CArtistUrlCache::ReadArtistUrl(const CString& name, CString& result, float maxDifference) {
    CString fileName;
    if (!GetCacheFileName(name, fileName)) return 0;

    CSingleLock lock(&m_cs, true);
    if (ReadAddress(fileName, name, result)) return 1;

    std::vector<CString> sections;
    GetSectionNames(fileName, sections);
    const CNameMatcher matcher(false);
    float threshold = maxDifference;
    const CString* best = nullptr;
    for (const CString& section : sections) {
        // Below the threshold the bounded difference is the exact one; a
        // candidate at or above it is rejected either way.
        const float difference = matcher.GetDifferenceBelow(name, section, threshold);
        if (difference < threshold) {
            best = &section;
            if (difference == 0.0f) break;
            threshold = difference;
        }
    }
    if (!best) return 0;
    return ReadAddress(fileName, *best, result) ? 1 : 0;
}

int CArtistUrlCache::WriteArtistUrl(const CString& name, const CString& address) {
    CString fileName;
    if (!GetCacheFileName(name, fileName)) return 0;

    bool written;
    {
        CSingleLock lock(&m_cs, true);
        written = platform::WriteIniValue(fileName.str(), name.str(), kArtistUrlKey, address.str());
    }
    if (!written) {
        TheTraceLog().Write(TRACE_DEBUG, L"WriteArtistUrl to LocalCache fails for: " + name);
        return 0;
    }
    return 1;
}

void CArtistUrlCache::GetSectionNames(const CString& fileName, std::vector<CString>& names) {
    names.clear();
    // The INI layer hands the names over as a list: every name arrives, in
    // file order, however many the file holds.
    for (std::wstring& section : platform::ReadIniSectionNames(fileName.str())) names.emplace_back(std::move(section));
}

bool GetLeadingChar(const CString& name, wchar_t& out, wchar_t digitReplacement, bool lowerCase) {
    out = 0;
    if (name.IsEmpty()) return false;
    const wchar_t ch = name.GetAt(0);
    if (ch >= L'0' && ch <= L'9') {
        out = digitReplacement != 0 ? digitReplacement : ch;
    } else if (ch >= L'a' && ch <= L'z') {
        out = lowerCase ? ch : static_cast<wchar_t>(ch - L'a' + L'A');
    } else if (ch >= L'A' && ch <= L'Z') {
        out = lowerCase ? static_cast<wchar_t>(ch - L'A' + L'a') : ch;
    }
    return out != 0;
}
