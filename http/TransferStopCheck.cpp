// TransferStopCheck: when a running transfer asks the host whether to stop.
#include "http/TransferStopCheck.h"

#include <utility>

#include "platform/System.h"

TransferStopCheck::TransferStopCheck(std::function<bool()> stopRequested, std::function<uint32_t()> clockMs)
    : m_stopRequested(std::move(stopRequested)), m_clockMs(std::move(clockMs)), m_startMs(Now()) {}

uint32_t TransferStopCheck::Now() const { return m_clockMs ? m_clockMs() : platform::GetTickCount(); }

bool TransferStopCheck::KeepGoing() {
    if (m_stopped) return false;
    const uint32_t now = Now();
    // Unsigned differences stay right across a wrap of the clock.
    if (now - m_startMs < kQuietMs) return true;
    if (m_lastAskMs && now - *m_lastAskMs < kAskGapMs) return true;
    m_lastAskMs = now;
    m_stopped = m_stopRequested();
    return !m_stopped;
}

platform::HttpKeepGoing TransferStopCheck::Question() {
    return platform::HttpKeepGoing{[this] { return KeepGoing(); }, kWakeMs};
}
