// CCommonDllInterface: the common base of the plug-in's interface objects. It
// dispatches the named properties and methods (Set, Property, CallMethod),
// keeps the download statistics and the module identity (source name,
// version, site host, source id = MD5 of the module file), owns the artist
// cache, and adds slots 9 to 11 (SignalHost, IsStopRequested, DownloadPage).
//
// Members are defined in CommonDllInterface.cpp and explicitly instantiated
// for CBasicTagsDllInterface; DownloadPage for that instantiation is defined
// by the page download (declared as a specialization below).
//
// Thread-safety: none of its own; the host calls one object from one thread
// at a time. The trace log and the artist cache lock for themselves.
#pragma once

#include <memory>

#include "platform/CString.h"
#include "plugin/BasicTagsDllInterface.h"

class CArtistUrlCache;

template <class TInterface>
class CCommonDllInterface : public TInterface {
public:
    // Empty identity and zero counters, then m_strSourceId := MD5 of the module
    // file; a file that cannot be read leaves it empty and writes an Error line.
    CCommonDllInterface();
    // Frees the artist cache; the host object is not touched.
    ~CCommonDllInterface() override;
    CCommonDllInterface(const CCommonDllInterface&) = delete;
    CCommonDllInterface& operator=(const CCommonDllInterface&) = delete;

    // Slot 1: "LocalCacheFolder", "LogFolder", "TraceLevel", "ParentLogfilePath".
    int Set(const CString& name, const CString* value) override;
    // Slot 2: "SourceName", "SourceId" (CString) and the six 32-bit integer properties.
    int Property(const CString& name, void* out) override;
    // Slot 3: "CloseAndMergeLog".
    int CallMethod(const CString& name, void* parameter) override;

    // Slot 9: passes a signal to the host, if one is attached.
    virtual void SignalHost();
    // Slot 10: the host's stop request; true when no host is attached.
    virtual bool IsStopRequested();
    // Slot 11: fetches url as wide text into text. 1 when text holds the page, 0 otherwise.
    virtual int DownloadPage(const CString& url, CString& text);

protected:
    std::unique_ptr<CArtistUrlCache> m_pArtistCache;  // null until "LocalCacheFolder"
    CString m_strSourceName;                          // short source name ("mivo" in CMivo)
    CString m_strVersion;                             // version text
    CString m_strSiteHost;                            // catalogue site host name, no scheme
    CString m_strSourceId;                            // MD5 of the module file, 32 lower-case hex digits, or empty
    int m_nCodePage;                                  // code page of downloaded pages
    int m_nSupportedSearch;
    int m_nAlbumsIterationConstant;
    int m_nTitlesIterationConstant;
    int m_nDownloadCounter;      // downloads started
    int m_nSuccessfulDownloads;  // downloads that delivered a page
    int m_nTotalDownloadTime;    // milliseconds spent downloading
};

// Defined by the page download, not by the generic members.
template <>
int CCommonDllInterface<CBasicTagsDllInterface>::DownloadPage(const CString& url, CString& text);

extern template class CCommonDllInterface<CBasicTagsDllInterface>;
