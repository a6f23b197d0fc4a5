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
    : m_object(object) {
    m_object->SetHost(host);
    SetProperty(*m_object, L"LogFolder", settings.logFolder, warnings);
    SetProperty(*m_object, L"TraceLevel", settings.traceLevel, warnings);
    SetProperty(*m_object, L"ParentLogfilePath", settings.parentLog, warnings);
    SetProperty(*m_object, L"LocalCacheFolder", settings.cacheFolder, warnings);
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
    if (!m_object) return;
    // The object is destroyed even when the merge throws.
    const std::unique_ptr<CBasicTagsDllInterface> object(std::exchange(m_object, nullptr));
    object->CallMethod(CString(L"CloseAndMergeLog"), nullptr);
}

}  // namespace mivo_host
