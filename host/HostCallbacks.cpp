// The answers of the host's callback object.
#include "host/HostCallbacks.h"

#include <utility>

namespace mivo_host {

HostCallbacks::HostCallbacks(HostAnswers answers, std::function<bool()> stopRequested)
    : answers_(std::move(answers)), stopRequested_(std::move(stopRequested)) {}

int HostCallbacks::GetValue(const CString& name, void* value) {
    if (!value) return 0;
    if (name == CString(L"MaxMatchDifference")) {
        if (!answers_.maxDifference) return 0;
        *static_cast<float*>(value) = *answers_.maxDifference;
        return 1;
    }
    if (name == CString(L"HttpProxy")) {
        if (!answers_.proxy) return 0;
        *static_cast<CString*>(value) = CString(*answers_.proxy);
        return 1;
    }
    if (name == CString(L"HostIgnore")) {
        if (!answers_.gate) return 0;
        *static_cast<CHostIgnoreInterface**>(value) = answers_.gate;
        return 1;
    }
    return 0;
}

bool HostCallbacks::IsStopRequested() { return stopRequested_ && stopRequested_(); }

}  // namespace mivo_host
