// HostGate: the host-ignore object the host hands to the plug-in through
// "HostIgnore". The plug-in calls EnterHost before and LeaveHost after each
// download; the gate keeps a minimum gap between two contacts of one web host
// by waiting in EnterHost, so the catalogue is not hammered, and reports
// progress.
//
// A stop request ends the wait, and the gate then refuses the contact by
// throwing StopBeforeContact: the plug-in does not look at EnterHost's answer
// and would start the download otherwise. The exception passes through the
// plug-in's operation to the host, which keeps what the operation had found.
//
// The gap runs from the end of the last contact (LeaveHost, or EnterHost when
// the plug-in skipped LeaveHost after a stop request) to the start of the next.
// Host names are compared without regard to ASCII letter case. The wait ends
// early when a stop is requested. Owned by the host; used on the thread that
// runs the plug-in.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <map>
#include <string>

#include "host/Progress.h"
#include "plugin/BasicTagsDllInterface.h"

namespace mivo_host {

// Thrown by the gate instead of letting a contact begin after a stop request.
struct StopBeforeContact : std::exception {
    const char* what() const noexcept override { return "stopped before contacting a web host"; }
};

class HostGate : public CHostIgnoreInterface {
public:
    using Clock = std::chrono::steady_clock;

    // gap: minimum time between two contacts of one host; stopRequested ends a
    // wait early; progress (not owned, may be null) hears of every contact.
    HostGate(std::chrono::milliseconds gap, std::function<bool()> stopRequested, Progress* progress);

    // Waits until the gap since the last contact of host has passed, then
    // records the contact. count is not used. Answers 1. Throws
    // StopBeforeContact when a stop is requested before or during the wait.
    int EnterHost(const wchar_t* host, int count) override;
    // Records the end of the contact of host. Answers 1.
    int LeaveHost(const wchar_t* host) override;

    // Contacts entered so far, over all hosts.
    int Contacts() const { return m_contacts; }

private:
    static std::wstring Key(const wchar_t* host);

    std::chrono::milliseconds m_gap;
    std::function<bool()> m_stopRequested;
    Progress* m_progress;
    std::map<std::wstring, Clock::time_point> m_lastContact;
    int m_contacts = 0;
};

}  // namespace mivo_host
