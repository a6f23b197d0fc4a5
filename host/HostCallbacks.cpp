// The answers of the host's callback object.
#include "host/HostCallbacks.h"

#include <utility>

namespace mivo_host {

HostCallbacks::HostCallbacks(HostAnswers answers, std::function<bool()> stopRequested)
    : m_answers(std::move(answers)), m_stopRequested(std::move(stopRequested)) {}

int HostCallbacks::GetValue(const CString& name, void* value) {
    if (!value) return 0;
    if (name == CString(L"MaxMatchDifference")) {
        if (!m_answers.maxDifference) return 0;
        *static_cast<float*>(value) = *m_answers.maxDifference;
        return 1;
    }
    if (name == CString(L"HttpProxy")) {
        if (!m_answers.proxy) return 0;
        *static_cast<CString*>(value) = CString(*m_answers.proxy);
        return 1;
    }
    if (name == CString(L"HostIgnore")) {
        if (!m_answers.gate) return 0;
        *static_cast<CHostIgnoreInterface**>(value) = m_answers.gate;
        m_gateAnswered = true;
        return 1;
    }
    return 0;
}

bool HostCallbacks::IsStopRequested() {
    if (std::exchange(m_gateAnswered, false)) return false;
    return m_stopRequested && m_stopRequested();
}

}  // namespace mivo_host
