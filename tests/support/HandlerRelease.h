// Where a test server's handlers wait, holding a connection open, until the
// test lets them go or their limit passes. Once opened it stays open: every
// wait, now or later, returns at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace testsupport {

class HandlerRelease {
public:
    // Waits until Open() or until limit passes; true when opened.
    bool WaitFor(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_opened.wait_for(lock, limit, [this] { return m_open; });
    }
    // Lets every wait return.
    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_opened.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
};

}  // namespace testsupport
