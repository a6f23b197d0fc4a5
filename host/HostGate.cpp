// The --delay gap between two contacts of one web host.
#include "host/HostGate.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace mivo_host {

namespace {

// Waits are cut into slices this long so a stop request is seen quickly.
constexpr std::chrono::milliseconds kWaitSlice{20};

}  // namespace

HostGate::HostGate(std::chrono::milliseconds gap, std::function<bool()> stopRequested, Progress* progress)
    : m_gap(gap), m_stopRequested(std::move(stopRequested)), m_progress(progress) {}

std::wstring HostGate::Key(const wchar_t* host) {
    std::wstring key = host ? host : L"";
    for (wchar_t& ch : key)
        if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
    return key;
}

int HostGate::EnterHost(const wchar_t* host, int count) {
    (void)count;
    if (m_stopRequested && m_stopRequested()) throw StopBeforeContact();
    const std::wstring key = Key(host);
    const Clock::time_point start = Clock::now();
    const auto last = m_lastContact.find(key);
    if (last != m_lastContact.end() && m_gap.count() > 0) {
        const Clock::time_point due = last->second + m_gap;
        if (m_progress && Clock::now() < due)
            m_progress->Waiting(host ? host : L"",
                                std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count());
        while (Clock::now() < due && !(m_stopRequested && m_stopRequested())) {
            const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
            std::this_thread::sleep_for(std::clamp(remaining, std::chrono::milliseconds(1), kWaitSlice));
        }
    }
    if (m_stopRequested && m_stopRequested()) throw StopBeforeContact();
    const Clock::time_point now = Clock::now();
    m_lastContact[key] = now;
    ++m_contacts;
    if (m_progress)
        m_progress->Contacting(host ? host : L"",
                               std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count());
    return 1;
}

int HostGate::LeaveHost(const wchar_t* host) {
    m_lastContact[Key(host)] = Clock::now();
    if (m_progress) m_progress->Fetched(host ? host : L"");
    return 1;
}

}  // namespace mivo_host
