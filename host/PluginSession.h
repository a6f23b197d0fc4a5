// PluginSession: one interface object of the plug-in, driven in the order a
// tagging host uses. The constructor attaches the host callback object
// (SetHost) and sets "LogFolder", "TraceLevel", "ParentLogfilePath" and
// "LocalCacheFolder" (each only when given); the caller then runs its
// operation through Plugin(); Close (or the destructor) calls the method
// "CloseAndMergeLog" and destroys the object through its virtual destructor.
//
// The session owns the interface object; the host callback object is the
// caller's and must outlive the session. Used on the main thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plugin/BasicTagsDllInterface.h"

namespace mivo_host {

struct SessionSettings {
    std::optional<std::wstring> logFolder;    // "LogFolder"
    std::optional<std::wstring> traceLevel;   // "TraceLevel"
    std::optional<std::wstring> parentLog;    // "ParentLogfilePath"
    std::optional<std::wstring> cacheFolder;  // "LocalCacheFolder"
};

class PluginSession {
public:
    // Takes ownership of object (not null), attaches host and sets the
    // properties. A property the plug-in refuses adds a line to warnings.
    PluginSession(CBasicTagsDllInterface* object, CBasicTagsHostInterface* host, const SessionSettings& settings,
                  std::vector<std::string>& warnings);
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    // The interface object, for the operation; valid until Close.
    CBasicTagsDllInterface& Plugin() { return *m_object; }

    // Merges the run's trace log into the parent log and destroys the object
    // (also when the merge throws; the exception then passes on). Safe to call twice.
    void Close();

private:
    CBasicTagsDllInterface* m_object;
};

}  // namespace mivo_host
