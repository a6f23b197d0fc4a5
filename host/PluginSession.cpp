// The calling order of one plug-in session.
#include "host/PluginSession.h"

#include <memory>
#include <utility>

#include "host/WideText.h"

namespace mivo_host {

namespace {

void SetProperty(CBasicTagsDllInterface& plugin, const wchar_t* name, const std::optional<std::wstring>& value,
                 std::vector<std::string>& warnings) {
    if (!value) return;
    const CString text(*value);
    if (!plugin.Set(CString(name), &text))
        warnings.push_back("the plug-in did not accept " + ToUtf8(name) + " \"" + ToUtf8(*value) + "\"");
}

}  // namespace

PluginSession::PluginSession(CBasicTagsDllInterface* object, CBasicTagsHostInterface* host,
                             const SessionSettings& settings, std::vector<std::string>& warnings)
    : object_(object) {
    object_->SetHost(host);
    SetProperty(*object_, L"LogFolder", settings.logFolder, warnings);
    SetProperty(*object_, L"TraceLevel", settings.traceLevel, warnings);
    SetProperty(*object_, L"ParentLogfilePath", settings.parentLog, warnings);
    SetProperty(*object_, L"LocalCacheFolder", settings.cacheFolder, warnings);
}

PluginSession::~PluginSession() {
    // Also reached while an exception from the plug-in unwinds the stack: a
    // second one from the merge must not end the program.
    try {
        Close();
    } catch (...) {
    }
}

void PluginSession::Close() {
    if (!object_) return;
    // The object is destroyed even when the merge throws.
    const std::unique_ptr<CBasicTagsDllInterface> object(std::exchange(object_, nullptr));
    object->CallMethod(CString(L"CloseAndMergeLog"), nullptr);
}

}  // namespace mivo_host
