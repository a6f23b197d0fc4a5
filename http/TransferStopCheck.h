// The stop question while a page is on its way. A transfer that is still
// running after its first second puts the host's stop question, and after
// that at most once every 200 ms; a transfer that ends within a second asks
// nothing, so a quick download costs the host no extra calls. A "stop"
// answer ends the transfer as a failure.
//
// One object serves one transfer and lives at least as long as it. It runs
// on the thread that drives the transfer; the host's question is asked on
// that thread too.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/HttpKeepGoing.h"

class TransferStopCheck {
public:
    // How long a transfer runs before the host is first asked.
    static constexpr uint32_t kQuietMs = 1000;
    // The shortest gap between two questions to the host.
    static constexpr uint32_t kAskGapMs = 200;
    // How often a waiting transfer wakes to consider asking, well within the gap.
    static constexpr uint32_t kWakeMs = 20;

    // The transfer starts now. stopRequested is the host's stop question;
    // clockMs a millisecond clock that may wrap (the tick count unless a
    // test gives another).
    explicit TransferStopCheck(std::function<bool()> stopRequested, std::function<uint32_t()> clockMs = {});

    // False once the host, asked when a question is due, answered "stop"
    // (and from then on without asking again); true otherwise.
    bool KeepGoing();

    // True once the host's answer has ended the transfer.
    bool Stopped() const { return m_stopped; }

    // This check as the question a transfer puts; valid while this object lives.
    platform::HttpKeepGoing Question();

private:
    uint32_t Now() const;

    std::function<bool()> m_stopRequested;
    std::function<uint32_t()> m_clockMs;
    uint32_t m_startMs;
    std::optional<uint32_t> m_lastAskMs;
    bool m_stopped = false;
};
