// HostCallbacks: the host's callback object, attached to the plug-in with
// SetHost. It answers the plug-in's questions from the command-line options:
// "MaxMatchDifference" (a float, only when --max-difference was given, so the
// plug-in otherwise keeps its own default), "HttpProxy" (a CString, only when
// --proxy was given) and "HostIgnore" (the gate). IsStopRequested reports the
// stop signal. Any other name is answered 0 without touching the output.
//
// The plug-in asks "HostIgnore", then whether to stop, then enters the gate,
// and downloads whatever the gate answers. A stop arriving between the first
// two would make it skip the gate and download all the same; so the one stop
// question right after "HostIgnore" is answered "go on", and the gate, which
// looks at the stop itself, refuses the contact instead.
//
// Owned by main; outlives the interface object. Called on the thread that
// runs the plug-in.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "plugin/BasicTagsDllInterface.h"

namespace mivo_host {

struct HostAnswers {
    std::optional<float> maxDifference;    // "MaxMatchDifference"
    std::optional<std::wstring> proxy;     // "HttpProxy"
    CHostIgnoreInterface* gate = nullptr;  // "HostIgnore"; not owned
};

class HostCallbacks : public CBasicTagsHostInterface {
public:
    HostCallbacks(HostAnswers answers, std::function<bool()> stopRequested);

    // Writes the value named name to *value (float, CString or
    // CHostIgnoreInterface* by name) and answers 1 when the host has one;
    // answers 0 and leaves *value alone otherwise, or when value is null.
    int GetValue(const CString& name, void* value) override;
    // Nothing to do: the host has no use for the plug-in's signal.
    void Signal() override {}
    // True once a stop was requested, except for the first question after
    // "HostIgnore" was answered (see above).
    bool IsStopRequested() override;

private:
    HostAnswers m_answers;
    std::function<bool()> m_stopRequested;
    bool m_gateAnswered = false;  // "HostIgnore" was answered; the next stop question says "go on"
};

}  // namespace mivo_host
