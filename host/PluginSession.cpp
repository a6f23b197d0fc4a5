// The calling order of one plug-in session.
#include "host/PluginSession.h"

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

PluginSession::~PluginSession() { Close(); }

void PluginSession::Close() {
    if (!object_) return;
    object_->CallMethod(CString(L"CloseAndMergeLog"), nullptr);
    delete object_;
    object_ = nullptr;
}

}  // namespace mivo_host
