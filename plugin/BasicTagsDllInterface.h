// The host boundary: the interface object the host receives from
// GetDllInterface, the host's callback object and the host-ignore gate.
//
// A host compiles against this header, plugin/SearchRecords.h and
// platform/CString.h alone; all three are header-only and include nothing
// beyond the standard library. Virtual operations are declared in their fixed
// slot order (the C++ ABI here gives the virtual destructor, slot 0, two table
// entries; every other slot follows in order).
//
// Ownership: the host owns the interface object (it destroys it through the
// virtual destructor), its callback object and its lists. The plug-in never
// deletes a callback object. One interface object is used by one thread at a
// time.
#pragma once

#include <string>

#include "platform/CString.h"
#include "plugin/SearchRecords.h"

// The host's callback object, attached with SetHost. The plug-in calls
// GetValue, Signal and IsStopRequested only; the other slots exist for the
// host's own use and have harmless defaults.
class CBasicTagsHostInterface {
public:
    virtual ~CBasicTagsHostInterface() {}
    // Slot 1: not called by the plug-in.
    virtual int Reserved1() { return 0; }
    // Slot 2: stores the value named name into *value (its type is fixed by the
    // name: "MaxMatchDifference" float, "HttpProxy" CString, "HostIgnore"
    // CHostIgnoreInterface*). Non-zero when the host supplied it.
    virtual int GetValue(const CString& name, void* value) {
        (void)name;
        (void)value;
        return 0;
    }
    // Slot 3: not called by the plug-in.
    virtual int Reserved3() { return 0; }
    // Slot 4: a signal from the plug-in (SignalHost).
    virtual void Signal() {}
    // Slot 5: true when the host wants the current operation to stop.
    virtual bool IsStopRequested() { return false; }
};

// Told about each web host the plug-in contacts; answered through
// GetValue("HostIgnore"). Owned by the host; kept for one download only.
class CHostIgnoreInterface {
public:
    virtual ~CHostIgnoreInterface() {}
    // Before a download from host (zero-terminated); count is always 1. The result is not looked at.
    virtual int EnterHost(const wchar_t* host, int count) {
        (void)host;
        (void)count;
        return 0;
    }
    // After a download from host. The result is not looked at.
    virtual int LeaveHost(const wchar_t* host) {
        (void)host;
        return 0;
    }
};

// The abstract interface the host knows: slots 0 to 8.
class CBasicTagsDllInterface {
public:
    CBasicTagsDllInterface() : m_pHost(nullptr) {}
    // Slot 0: destroys the object.
    virtual ~CBasicTagsDllInterface() {}

    // Slot 1: writes a named property; 1 when it was handled, 0 otherwise.
    virtual int Set(const CString& name, const CString* value) = 0;
    // Slot 2: reads a named property into *out (a CString or a 32-bit int, by name); 1 or 0.
    virtual int Property(const CString& name, void* out) = 0;
    // Slot 3: runs a named method; parameter is not read. 1 or 0.
    virtual int CallMethod(const CString& name, void* parameter) = 0;
    // Slot 4: the artist page address for artistName into artistUrl. Non-zero on success.
    virtual int FindArtistUrl(const CString& artistName, CString& artistUrl) = 0;
    // Slot 5: clears albums, then appends every album of artistName. Non-zero on success.
    virtual int FindArtistAlbumList(const CString& artistName, AlbumInfoList& albums) = 0;
    // Slot 6: completes album from its page, sets coverUrl, appends to tracks. Non-zero on success.
    virtual int GetAlbumDetails(AlbumInfo& album, std::wstring& coverUrl, TrackInfoList& tracks) = 0;
    // Slot 7: attaches host when non-null (null keeps the current one). 1 when a host is attached.
    virtual int SetHost(CBasicTagsHostInterface* host) {
        if (host) m_pHost = host;
        return m_pHost ? 1 : 0;
    }
    // Slot 8: an optional search this plug-in does not support; always 0.
    virtual int OptionalSearch(int arg1, int arg2, int arg3, int arg4) = 0;

protected:
    CBasicTagsHostInterface* m_pHost;  // not owned
};

// The module's one export: a new, independent interface object owned by the caller.
extern "C" {
typedef CBasicTagsDllInterface* (*GetDllInterfaceFunction)();
}
